#include "pages/OtherSetDlg.h"

#include "config/AutoStart.h"
#include "config/LanguageChoice.h"
#include "config/LanguageList.h"
#include "config/LanguageTable.h"
#include "devices/DeviceList.h"
#include "devices/EnclosureButton.h"
#include "pages/FileTypeFilter.h"
#include "pages/OthersExtensionField.h"
#include "pages/ReminderDays.h"
#include "pages/VersionDays.h"
#include "platform/NumberText.h"
#include "platform/SystemError.h"
#include "resource.h"

namespace qtr {
namespace {

constexpr int kGeneralGroup[] = {IDC_OTHERS_AUTOSTART, IDC_OTHERS_USB_KEY,        IDC_OTHERS_LANGUAGE_LABEL,
                                 IDC_OTHERS_LANGUAGE,  IDC_OTHERS_REMIND_LABEL,   IDC_OTHERS_REMIND,
                                 IDC_OTHERS_HISTORY,   IDC_OTHERS_VERSIONS_LABEL, IDC_OTHERS_VERSIONS};
constexpr int kFilterGroup[] = {IDC_OTHERS_FILTER + 0, IDC_OTHERS_FILTER + 1, IDC_OTHERS_FILTER + 2,
                                IDC_OTHERS_FILTER + 3, IDC_OTHERS_OTHER,      IDC_OTHERS_EXTENSIONS};

// The two groups share the page's area; one of them is shown at a time.
constexpr ControlPlace kPlaces[] = {
    {IDC_OTHERS_AUTOSTART, 30, 16, 470, 20},      {IDC_OTHERS_USB_KEY, 30, 42, 470, 20},
    {IDC_OTHERS_LANGUAGE_LABEL, 30, 74, 300, 18}, {IDC_OTHERS_LANGUAGE, 30, 94, 200, 200},
    {IDC_OTHERS_REMIND_LABEL, 30, 128, 470, 18},  {IDC_OTHERS_REMIND, 30, 148, 200, 200},
    {IDC_OTHERS_HISTORY, 250, 147, 140, 24},      {IDC_OTHERS_VERSIONS_LABEL, 30, 182, 470, 18},
    {IDC_OTHERS_VERSIONS, 30, 202, 200, 200},     {IDC_OTHERS_FILTER + 0, 30, 16, 470, 20},
    {IDC_OTHERS_FILTER + 1, 30, 44, 470, 20},     {IDC_OTHERS_FILTER + 2, 30, 72, 470, 20},
    {IDC_OTHERS_FILTER + 3, 30, 100, 470, 20},    {IDC_OTHERS_OTHER, 30, 128, 470, 20},
    {IDC_OTHERS_EXTENSIONS, 30, 156, 474, 24},
};

}  // namespace

COtherSetDlg::COtherSetDlg(const SettingsHost& host)
    : SettingsSubPage(IDD, host),
      reminder_{IDC_OTHERS_REMIND, ReminderChoiceText, kDefaultReminderDays, {}},
      versions_{IDC_OTHERS_VERSIONS, VersionDayChoiceText, kDefaultVersionDays, {}} {}

bool COtherSetDlg::OnInit() {
  Place(kPlaces);
  ShowTexts();
  LoadControls();
  ShowGroup(false);
  return true;
}

bool COtherSetDlg::HaveDisks() const {
  return host_.haveDisks ? host_.haveDisks() : !DeviceList::Process().Empty();
}

void COtherSetDlg::LoadControls() {
  XmlDocument doc;
  const SettingsFile file = File();
  file.SetUpPage(SettingsPage::kOtherSettings, doc);

  // The box shows whether the program really starts with the system, not
  // what a settings file last said about it.
  Check(IDC_OTHERS_AUTOSTART, !AutoStartCommand().empty());

  const bool polling = SettingIsOn(doc, u"USBHotKey");
  Check(IDC_OTHERS_USB_KEY, polling);
  EnclosureButton& button = host_.enclosureButton ? *host_.enclosureButton : EnclosureButton::Process();
  button.Apply(polling, HaveDisks());

  HWND list = Item(IDC_OTHERS_LANGUAGE);
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  languages_ = InstalledLanguages().DisplayNames();
  for (const std::u16string& name : languages_)
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AsWstring(name).c_str()));
  const std::u16string folder = host_.programFolder;
  const ShownLanguage shown =
      ShowStoredLanguage(languages_, InstalledLanguages(), ReadSetting(doc, u"Language"),
                         [&folder](std::u16string_view id) { return LanguageTableLoads(folder, id); });
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(shown.index), 0);
  currentLanguage_ = shown.index;
  if (shown.insertEnglish) file.Store(u"Language", u"English");

  const int reminderDays = ReminderDaysFrom(ReadSetting(doc, kReminderDaysKey));
  reminder_.choices = ReminderChoices(reminderDays);
  ShowDayChoices(reminder_, reminderDays);
  const int versionDays = VersionDaysFrom(ReadSetting(doc, kVersionDaysKey));
  versions_.choices = VersionDayChoices(versionDays);
  ShowDayChoices(versions_, versionDays);

  const auto boxes = FileTypeBoxes();
  for (size_t i = 0; i < boxes.size(); ++i)
    Check(IDC_OTHERS_FILTER + static_cast<int>(i), SettingIsOn(doc, boxes[i].key));
}

// The list's texts in the active language, with days chosen.
void COtherSetDlg::ShowDayChoices(const DayList& list, int days) {
  HWND box = Item(list.id);
  SendMessageW(box, CB_RESETCONTENT, 0, 0);
  int chosen = 0;
  for (size_t i = 0; i < list.choices.size(); ++i) {
    const std::wstring text = AsWstring(list.text(list.choices[i], ActiveLanguageTable()));
    SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (list.choices[i] == days) chosen = static_cast<int>(i);
  }
  SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

int COtherSetDlg::ChosenDays(const DayList& list) const {
  const auto index = SendDlgItemMessageW(Handle(), list.id, CB_GETCURSEL, 0, 0);
  if (index < 0 || static_cast<size_t>(index) >= list.choices.size()) return list.fallback;
  return list.choices[static_cast<size_t>(index)];
}

void COtherSetDlg::FollowLanguage(const DayList& list) {
  if (list.choices.empty()) return;
  const std::wstring first = AsWstring(list.text(list.choices.front(), ActiveLanguageTable()));
  wchar_t shown[64] = {};
  if (SendDlgItemMessageW(Handle(), list.id, CB_GETLBTEXTLEN, 0, 0) < 64)
    SendDlgItemMessageW(Handle(), list.id, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(shown));
  if (first != shown) ShowDayChoices(list, ChosenDays(list));
}

void COtherSetDlg::ShowGroup(bool fileFilter) {
  for (int id : kGeneralGroup) ShowWindow(Item(id), fileFilter ? SW_HIDE : SW_SHOW);
  for (int id : kFilterGroup) ShowWindow(Item(id), fileFilter ? SW_SHOW : SW_HIDE);
  InvalidateRect(Handle(), nullptr, FALSE);
}

void COtherSetDlg::ShowTexts() {
  SetText(IDC_OTHERS_AUTOSTART, TextId::AutoStart);
  SetText(IDC_OTHERS_USB_KEY, TextId::StartUsbKey);
  SetText(IDC_OTHERS_LANGUAGE_LABEL, TextId::CheckLanuage);
  SetText(IDC_OTHERS_REMIND_LABEL, TextId::RemindAfterLabel);
  SetText(IDC_OTHERS_HISTORY, TextId::HistoryOpenButton);
  SetText(IDC_OTHERS_VERSIONS_LABEL, TextId::VersionDaysLabel);
  // Texts are set at every paint: the lists are filled again only when the language changed.
  FollowLanguage(reminder_);
  FollowLanguage(versions_);
  const auto boxes = FileTypeBoxes();
  for (size_t i = 0; i < boxes.size(); ++i)
    SetText(IDC_OTHERS_FILTER + static_cast<int>(i), FileTypeBoxText(boxes[i], DisplayText(boxes[i].name)));
  SetText(IDC_OTHERS_OTHER, TextId::Other);
  const std::u16string prompt = DisplayText(TextId::EditPrompt);
  if (!shownPrompt_.empty() && shownPrompt_ != prompt &&
      AsU16string(ItemText(IDC_OTHERS_EXTENSIONS)) == shownPrompt_) {
    SetText(IDC_OTHERS_EXTENSIONS, prompt);
    shownPrompt_ = prompt;
  }
}

std::u16string COtherSetDlg::OthersExtensions() const {
  if (!Checked(IDC_OTHERS_OTHER)) return {};
  return AsU16string(ItemText(IDC_OTHERS_EXTENSIONS));
}

void COtherSetDlg::SwitchAutoStart() {
  const bool on = Checked(IDC_OTHERS_AUTOSTART);
  const uint32_t error = SetAutoStartForThisProgram(on);
  if (error != 0) {
    Tell(SystemErrorMessage(error));
    // The box goes back to what is really set, rather than claiming a change that did not happen.
    Check(IDC_OTHERS_AUTOSTART, !AutoStartCommand().empty());
    return;
  }
  File().Store(u"AutoStart", on ? u"1" : u"0");
}

void COtherSetDlg::SwitchButtonPolling() {
  const bool on = Checked(IDC_OTHERS_USB_KEY);
  File().Store(u"USBHotKey", on ? u"1" : u"0");
  EnclosureButton& button = host_.enclosureButton ? *host_.enclosureButton : EnclosureButton::Process();
  button.Apply(on, HaveDisks());
}

void COtherSetDlg::OnLanguagePicked() {
  const int picked = static_cast<int>(SendDlgItemMessageW(Handle(), IDC_OTHERS_LANGUAGE, CB_GETCURSEL, 0, 0));
  const std::u16string folder = host_.programFolder;
  const LanguagePick pick =
      qtr::PickLanguage(languages_, picked, currentLanguage_, InstalledLanguages(),
                        [&folder](std::u16string_view id) { return LanguageTableLoads(folder, id); });
  switch (pick.action) {
    case LanguagePick::Action::kNothing: return;
    case LanguagePick::Action::kRevert:
      SendDlgItemMessageW(Handle(), IDC_OTHERS_LANGUAGE, CB_SETCURSEL, static_cast<WPARAM>(currentLanguage_),
                          0);
      return;
    case LanguagePick::Action::kStore: break;
  }
  File().Store(u"Language", pick.identifier);
  currentLanguage_ = picked;
  if (host_.applyLanguage) {
    host_.applyLanguage(pick.identifier);
  } else {
    ApplyLanguage(folder, pick.identifier);
  }
  // Every window of the program sets its texts at its next paint.
  RedrawWindow(GetAncestor(Handle(), GA_ROOT), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void COtherSetDlg::ToggleOthers() {
  const std::u16string prompt = DisplayText(TextId::EditPrompt);
  const OthersExtensionField field =
      ToggleOthersBox(Checked(IDC_OTHERS_OTHER), AsU16string(ItemText(IDC_OTHERS_EXTENSIONS)), prompt);
  SetText(IDC_OTHERS_EXTENSIONS, field.text);
  shownPrompt_ = ShowsPrompt(field.text, prompt) ? prompt : u"";
  EnableWindow(Item(IDC_OTHERS_EXTENSIONS), field.enabled ? TRUE : FALSE);
}

bool COtherSetDlg::OnCommand(int id, int code, HWND) {
  switch (id) {
    case IDC_OTHERS_LANGUAGE:
      if (code == CBN_SELCHANGE) OnLanguagePicked();
      return true;
    case IDC_OTHERS_REMIND:
      // Written only when the person chooses, so that an untouched file keeps no such key.
      if (code == CBN_SELCHANGE) File().Store(kReminderDaysKey, DecimalText(ChosenDays(reminder_)));
      return true;
    case IDC_OTHERS_VERSIONS:
      // The same: an untouched file keeps its versions for the default time.
      if (code == CBN_SELCHANGE) File().Store(kVersionDaysKey, DecimalText(ChosenDays(versions_)));
      return true;
    case IDC_OTHERS_EXTENSIONS:
      if (code == EN_SETFOCUS && ShowsPrompt(AsU16string(ItemText(id)), DisplayText(TextId::EditPrompt))) {
        // Typing replaces the prompt.
        SendDlgItemMessageW(Handle(), id, EM_SETSEL, 0, -1);
      }
      if (code == EN_CHANGE) InvalidateRect(Item(id), nullptr, TRUE);
      return true;
    default: break;
  }
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_OTHERS_AUTOSTART: SwitchAutoStart(); return true;
    case IDC_OTHERS_USB_KEY: SwitchButtonPolling(); return true;
    case IDC_OTHERS_OTHER: ToggleOthers(); return true;
    case IDC_OTHERS_HISTORY:
      if (host_.openHistory) host_.openHistory();
      return true;
    default: break;
  }
  const auto boxes = FileTypeBoxes();
  for (size_t i = 0; i < boxes.size(); ++i) {
    if (id != IDC_OTHERS_FILTER + static_cast<int>(i)) continue;
    File().Store(boxes[i].key, Checked(id) ? u"1" : u"0");
    return true;
  }
  return false;
}

bool COtherSetDlg::OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) {
  if (message == WM_CTLCOLOREDIT && reinterpret_cast<HWND>(l) == Item(IDC_OTHERS_EXTENSIONS)) {
    const bool grey =
        ShowsPrompt(AsU16string(ItemText(IDC_OTHERS_EXTENSIONS)), DisplayText(TextId::EditPrompt));
    result = (grey ? prompt_ : field_).Apply(reinterpret_cast<HDC>(w));
    return true;
  }
  return SettingsSubPage::OnMessage(message, w, l, result);
}

}  // namespace qtr
