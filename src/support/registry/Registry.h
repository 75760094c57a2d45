#pragma once
// Direct registry operations on the per-user and per-machine hives.
// Key paths are relative to the root and use "\" between keys, as the
// ones in SettingsTable.h do. Names and texts are code page 932 bytes, as
// the ANSI registry functions take them. Failures show no
// message; they come back only through the results.
#include <cstdint>
#include <string>
#include <vector>

namespace mirovan::registry {

enum class Root { CurrentUser, LocalMachine };

// Registry value types, numbered as the platform numbers them.
enum ValueType : uint32_t {
    kNone = 0,
    kString = 1,
    kExpandString = 2,
    kBinary = 3,
    kDword = 4,
    kMultiString = 7,
    kQword = 11,
};

uint32_t ReadNumber(Root root, const std::string& keyPath, const std::string& name, uint32_t defaultValue);
std::string ReadText(Root root, const std::string& keyPath, const std::string& name, const std::string& defaultText);
bool WriteText(Root root, const std::string& keyPath, const std::string& name, const std::string& text);
bool WriteNumber(Root root, const std::string& keyPath, const std::string& name, uint32_t value);

// File paths, as the wide functions keep them: the path in the platform's
// own bytes comes back exactly as written. A UTF-8 path is a string value
// (in code page 932 when that form reads back the same, else wide); bytes
// that are not UTF-8, or a line break, go in as binary data. A string
// value written elsewhere (an exported hive, the ANSI functions) reads as
// its characters in UTF-8. False when the path cannot be stored.
std::string ReadPath(Root root, const std::string& keyPath, const std::string& name);
bool WritePath(Root root, const std::string& keyPath, const std::string& name, const std::string& path);

// Appends keyPath + "\" + name for every key below keyPath, pre-order
// (below the root, the empty path, just the names).
void CollectSubkeys(Root root, const std::string& keyPath, std::vector<std::string>& out);
// Neither deletes the root itself (an empty path).
void DeleteTree(Root root, const std::string& keyPath);
void DeleteIfLeaf(Root root, const std::string& keyPath);
// Every value of the source key into the destination key (created when
// missing); names over 255 characters and data over 4096 bytes are skipped.
void CopyValues(Root sourceRoot, const std::string& sourcePath, Root destRoot, const std::string& destPath);
void CopyTree(Root sourceRoot, const std::string& sourcePath, Root destRoot, const std::string& destPath);
// Moves both hives' keys of the maker's earlier name
// (settings::kLegacyProgram) to its own; settings::MigrateLegacyKey decides
// when.
void MigrateLegacyHives();

// Where each hive lives on this platform.
std::string HivePath(Root root);

// A hive file that could not be read. It is moved aside, never
// overwritten, and the hive reads as empty. Paths and texts are UTF-8.
struct DamageReport {
    std::string hivePath;
    std::string keptAs; // empty when it could not be moved and stays in place
    std::string reason;
    // One line for the log and the terminal.
    std::string Text() const;
};

// Damage found since the last call, for the user interface to show. Each
// damaged file is reported once per process, also on the log and stderr.
std::vector<DamageReport> TakeDamageReports();

} // namespace mirovan::registry
