#pragma once
// One registry hive held in memory: keys, subkeys and typed values. Its
// text form is in RegistryHiveText.h.
//
// Names, class strings and string data are code page 932 bytes. A
// string value's data is what the ANSI registry functions store: the
// text followed by its terminating NUL, so data sizes compare as the
// platform counts them. Other types keep their bytes as they are.
//
// A string whose characters code page 932 cannot carry exactly (an é or
// an emoji in a path, as the wide registry functions store it) is held as
// UTF-8 instead, marked wide; the ANSI reads see it with '?' for what the
// code page lacks, as on the platform.
#include "support/registry/Registry.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mirovan::registry {

// Limits of the platform's registry; also what keeps a hostile file from
// building an absurd tree out of a few bytes.
inline constexpr size_t kMaxKeyNameChars = 255;
inline constexpr size_t kMaxKeyDepth = 512;
inline constexpr size_t kMaxKeys = 65536;
// The largest hive file read. A file names every key by its whole path,
// so the paths of a hive read from such a file add up to no more than
// this; holding hives to it keeps their written form in proportion too.
inline constexpr size_t kMaxFileBytes = 4u << 20;
inline constexpr size_t kMaxPathBytes = kMaxFileBytes;

struct HiveValue {
    std::string name;
    uint32_t type = 0;
    std::string data;
    bool wide = false; // kString data in UTF-8 rather than code page 932
    bool operator==(const HiveValue&) const = default;
};

// A UTF-8 text (no NUL) as a string value's data with its terminating
// NUL: code page 932 when that form reads back as exactly the same
// characters, else the UTF-8 itself and wide.
struct StringData {
    std::string data;
    bool wide = false;
};
StringData StringFromUtf8(std::string_view utf8);

// The folded form under which names compare: case-insensitive for ASCII
// and for the code page's full-width Latin, Greek and Cyrillic letters,
// double-byte aware so that trail bytes are never folded.
std::string FoldName(std::string_view name);

class HiveKey {
public:
    explicit HiveKey(std::string name, std::string className = {});
    HiveKey(const HiveKey&) = delete;
    HiveKey& operator=(const HiveKey&) = delete;

    const std::string& Name() const { return name_; }
    // Empty when the key has no class.
    const std::string& ClassName() const { return className_; }
    void SetClassName(std::string className) { className_ = std::move(className); }

    // Subkeys in enumeration order (the order they were created in).
    const std::list<HiveKey>& Subkeys() const { return subkeys_; }
    size_t SubkeyCount() const { return subkeys_.size(); }
    HiveKey* FindSubkey(std::string_view name);
    const HiveKey* FindSubkey(std::string_view name) const;

    // Values in enumeration order; setting an existing name keeps its
    // place and spelling.
    const std::list<HiveValue>& Values() const { return values_; }
    const HiveValue* FindValue(std::string_view name) const;
    void SetValue(std::string_view name, uint32_t type, std::string data, bool wide = false);
    bool RemoveValue(std::string_view name);

    bool operator==(const HiveKey& other) const;

private:
    friend class Hive; // keys are added and removed through it, which counts them

    // The existing subkey, or a new last one. The class is given only to
    // a new key, as the platform does.
    HiveKey& AddSubkey(std::string_view name, const std::string& className);
    bool RemoveSubkey(std::string_view name);

    std::string name_;
    std::string className_;
    std::list<HiveKey> subkeys_;
    std::map<std::string, std::list<HiveKey>::iterator, std::less<>> subkeyIndex_;
    std::list<HiveValue> values_;
    std::map<std::string, std::list<HiveValue>::iterator, std::less<>> valueIndex_;
};

// A key path ("a\b\c", double-byte aware) cut into names; the empty path
// is the root and gives no names. nullopt for an empty name inside it.
std::optional<std::vector<std::string>> SplitKeyPath(std::string_view path);

class Hive {
public:
    // rootName is how the file names the hive: "HKEY_CURRENT_USER".
    explicit Hive(std::string rootName);
    Hive(const Hive&) = delete;
    Hive& operator=(const Hive&) = delete;

    const std::string& RootName() const { return rootName_; }
    HiveKey& Root() { return root_; }
    const HiveKey& Root() const { return root_; }

    HiveKey* Find(std::string_view path);
    const HiveKey* Find(std::string_view path) const;
    // Creates the key and any missing parents; new ones get className
    // only at the last level. Null when the path is not a valid key path
    // or one of the limits above would be passed.
    HiveKey* Create(std::string_view path, const std::string& className = {});
    // Removes the key with everything below it; the root stays.
    bool Remove(std::string_view path);
    size_t KeyCount() const { return keyCount_; }
    // The lengths of all key paths added up.
    size_t PathBytes() const { return pathBytes_; }

    // Removes every key below the root.
    void Clear();

    bool operator==(const Hive& other) const { return rootName_ == other.rootName_ && root_ == other.root_; }

private:
    std::string rootName_;
    HiveKey root_;
    size_t keyCount_ = 0; // below the root
    size_t pathBytes_ = 0;
};

} // namespace mirovan::registry
