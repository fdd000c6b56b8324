// Jobs over an encrypted store: a store key (and a second one, to hold a
// wrong key against it), init.xml with "SetPassword", and whole jobs with
// a key handed over as the program hands it.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "JobFixture.h"
#include "engine/StoreKey.h"

namespace qtr::test {

class EncryptedJobFixture : public JobFixture {
 protected:
  EncryptedJobFixture() {
    for (size_t i = 0; i < sizeof key.bytes; ++i) {
      key.bytes[i] = static_cast<uint8_t>(i * 7 + 3);
      otherKey.bytes[i] = static_cast<uint8_t>(i * 5 + 1);
    }
    key.parameters.iterations = kMinKeyIterations;
    for (size_t i = 0; i < kKeySaltSize; ++i) key.parameters.salt[i] = static_cast<uint8_t>(0x50 + i);
  }

  void Encryption(bool compress, bool changedOnly = false, bool encrypt = true) {
    Settings(changedOnly ? "1" : "0", compress ? "1" : "0",
             std::string("<SetPassword>") + (encrypt ? "1" : "0") + "</SetPassword>");
  }
  // A whole job with k handed over as the program hands it (none: no key).
  std::unique_ptr<BackupJob> BackupWith(const StoreKey* k, const std::vector<std::string>& paths) {
    return RunWith(false, k, paths);
  }
  std::unique_ptr<BackupJob> BackupWith(const StoreKey& k, const std::vector<std::string>& paths) {
    return RunWith(false, &k, paths);
  }
  std::unique_ptr<BackupJob> BackupWith(std::nullopt_t, const std::vector<std::string>& paths) {
    return RunWith(false, nullptr, paths);
  }
  std::unique_ptr<BackupJob> RestoreWith(const StoreKey* k, const std::vector<std::string>& paths) {
    return RunWith(true, k, paths);
  }
  std::unique_ptr<BackupJob> RestoreWith(const StoreKey& k, const std::vector<std::string>& paths) {
    return RunWith(true, &k, paths);
  }
  std::unique_ptr<BackupJob> RestoreWith(std::nullopt_t, const std::vector<std::string>& paths) {
    return RunWith(true, nullptr, paths);
  }
  void RemoveIndex() {
    for (const auto& path : fs.AllPaths())
      if (path.starts_with(u"F:\\QTRPMB\\~index\\")) fs.RemoveFile(path);
  }
  // Every piece of the store index, one after another.
  std::string IndexBytes() {
    std::string all, bytes;
    for (const auto& path : fs.AllPaths())
      if (path.starts_with(u"F:\\QTRPMB\\~index\\") && fs.GetFile(path, &bytes)) all += bytes;
    return all;
  }

  StoreKey key, otherKey;

 private:
  std::unique_ptr<BackupJob> RunWith(bool restore, const StoreKey* k, const std::vector<std::string>& paths) {
    Selection(restore ? u"restoreTempPath.xml" : u"backupfullpath.xml", paths);
    auto job = NewJob(restore);
    if (k != nullptr) job->settings.storeKey.emplace(k->Duplicate());
    RunJob(*job);
    return job;
  }
};

}  // namespace qtr::test
