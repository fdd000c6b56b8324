#include "devices/DeviceList.h"

#include <algorithm>

namespace qtr {
namespace {

char16_t FoldAscii(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
           return FoldAscii(x) == FoldAscii(y);
         });
}

}  // namespace

size_t DeviceList::Insert(const CUSBDevice& device) {
  const auto at = std::find_if(devices_.begin(), devices_.end(),
                               [&](const CUSBDevice& d) { return d.m_deviceNumber > device.m_deviceNumber; });
  const size_t index = static_cast<size_t>(at - devices_.begin());
  devices_.insert(at, device);
  return index;
}

int DeviceList::FindByPath(std::u16string_view path) const {
  for (size_t i = 0; i < devices_.size(); ++i)
    if (EqualIgnoringCase(devices_[i].m_devicePath, path)) return static_cast<int>(i);
  return -1;
}

int DeviceList::FindByDeviceNumber(uint32_t number) const {
  for (size_t i = 0; i < devices_.size(); ++i)
    if (devices_[i].m_deviceNumber == number) return static_cast<int>(i);
  return -1;
}

bool DeviceList::RemoveAt(size_t index) {
  if (index >= devices_.size()) return false;
  devices_.erase(devices_.begin() + static_cast<std::ptrdiff_t>(index));
  return true;
}

CUSBDevice* DeviceList::At(int index) {
  if (index < 0 || static_cast<size_t>(index) >= devices_.size()) return nullptr;
  return &devices_[static_cast<size_t>(index)];
}

DeviceList& DeviceList::Process() {
  static DeviceList list;
  return list;
}

void FillDeviceList(DeviceList& list) {
  std::vector<CUSBDevice> found;
  CUSBDevice::ProbeExistMassStrogeDevice(found);
  const std::lock_guard lock(list.Mutex());
  for (const CUSBDevice& device : found) list.Insert(device);
}

}  // namespace qtr
