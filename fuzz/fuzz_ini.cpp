// The reader of "vostrel.ini": any bytes as the file.
#include <cstddef>
#include <cstdint>

#include "config/settings.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vostrel_fuzz::enterScratchFolder();
  vostrel_fuzz::writeFile(CONFIG_FILE_NAME, data, size);
  readConfigFile();
  return 0;
}
