# The decryptor of the encrypted file form.
qtr_fuzz_target(fuzz_encrypted_file EncryptedFileFuzz.cpp)
include(${PROJECT_SOURCE_DIR}/tests/support/MemoryFileSystem.cmake)
target_link_libraries(fuzz_encrypted_file PRIVATE qtr_crypto qtr_memory_fs qtr_platform)
