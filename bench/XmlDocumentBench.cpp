// Parsing and one-key edits of XML documents: a settings-sized file and a
// 1 MiB file of path entries.
#include <benchmark/benchmark.h>

#include <string>

#include "xml/XmlDocument.h"

namespace {

std::u16string Widen(const std::string& s) {
  return std::u16string(s.begin(), s.end());
}

std::u16string SettingsText() {
  std::string text = "<InitInfo>\r\n";
  for (int i = 0; i < 25; ++i)
    text += "<Key" + std::to_string(i) + ">" + std::to_string(i % 2) + "</Key" + std::to_string(i) + ">\r\n";
  text += "<HotKey Str=\"Alt+Ctrl+B\" VirtualKeyCode=\"66\" ModifierKey=\"3\"/>\r\n</InitInfo>\r\n";
  return Widen(text);
}

std::u16string MebibyteText() {
  std::string text = "<filepath>\r\n";
  for (int i = 0; text.size() < (1u << 20); ++i)
    text += "<path check=\"1\">C:\\Users\\someone\\Documents\\folder" + std::to_string(i) + "</path>\r\n";
  text += "<Key12>1</Key12>\r\n</filepath>\r\n";
  return Widen(text);
}

void Parse(benchmark::State& state, const std::u16string& text) {
  for (auto _ : state) {
    qtr::XmlDocument doc;
    benchmark::DoNotOptimize(doc.SetDoc(text));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size() * 2));
}

// The read-modify idiom every settings change uses: find the key, remove it, add it back with the new value.
void EditOneKey(benchmark::State& state, const std::u16string& text) {
  qtr::XmlDocument doc;
  doc.SetDoc(text);
  int value = 0;
  for (auto _ : state) {
    doc.ResetPosition();
    doc.FindChildElement(u"Key12");
    doc.RemoveChildElement();
    doc.AddChildElement(u"Key12", (value++ % 2) != 0 ? u"1" : u"0");
  }
}

void BM_ParseSettings(benchmark::State& state) {
  Parse(state, SettingsText());
}
void BM_ParseMebibyte(benchmark::State& state) {
  Parse(state, MebibyteText());
}
void BM_EditOneKeySettings(benchmark::State& state) {
  EditOneKey(state, SettingsText());
}
void BM_EditOneKeyMebibyte(benchmark::State& state) {
  EditOneKey(state, MebibyteText());
}

}  // namespace

BENCHMARK(BM_ParseSettings);
BENCHMARK(BM_ParseMebibyte)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditOneKeySettings);
BENCHMARK(BM_EditOneKeyMebibyte)->Unit(benchmark::kMicrosecond);
