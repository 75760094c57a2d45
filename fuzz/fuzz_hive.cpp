// Arbitrary bytes as a hive file: either refused with a cause or read
// into a tree that writes out and reads back the same.
#include "support/registry/RegistryHiveText.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using mirovan::registry::Hive;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Hive hive("HKEY_CURRENT_USER");
    std::string error;
    if (!ParseHive(hive, bytes, error)) {
        if (error.empty())
            std::abort();
        return 0;
    }
    const auto text = SerializeHive(hive);
    if (!text)
        std::abort(); // whatever was read must be writable
    Hive again("HKEY_CURRENT_USER");
    if (!ParseHive(again, *text, error) || !(again == hive))
        std::abort();
    const auto second = SerializeHive(again);
    if (!second || *second != *text)
        std::abort();
    return 0;
}
