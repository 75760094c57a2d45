#include "support/registry/Registry.h"

#include "support/Codepage.h"
#include "support/FileError.h"
#include "support/ProductFolders.h"
#include "support/ProductNames.h"
#include "support/Utf.h"
#include "support/platform/KeepAside.h"
#include "support/platform/Log.h"
#include "support/platform/Platform.h"
#include "support/registry/RegistryHive.h"
#include "support/registry/RegistryHiveText.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <mutex>
#include <set>

namespace mirovan::registry {
namespace {

constexpr auto kLockWait = std::chrono::milliseconds(10000);
// A settings hive is a few kilobytes; anything near this is not ours, and
// refusing it keeps memory in proportion.
constexpr uint64_t kMaxHiveBytes = kMaxFileBytes;
// What the copy of values can carry.
constexpr size_t kMaxCopyNameBytes = 255;
constexpr size_t kMaxCopyDataBytes = 4096;

const char* RootName(Root root) { return root == Root::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE"; }

// The ANSI functions take C strings: anything after a NUL is not seen.
std::string CString(const std::string& s) { return s.substr(0, s.find('\0')); }

std::string JoinKey(const std::string& path, const std::string& name)
{
    return path.empty() ? name : path + "\\" + name;
}

struct DamageState {
    std::mutex mutex;
    std::set<std::string> reportedInPlace;
    std::vector<DamageReport> pending;
};

DamageState& Damage()
{
    static DamageState state; // the registry is one per process
    return state;
}

void Report(DamageReport report)
{
    DamageState& state = Damage();
    {
        std::lock_guard lock(state.mutex);
        // A file left in place is found on every read; say so only once.
        if (report.keptAs.empty() && !state.reportedInPlace.insert(report.hivePath).second)
            return;
        state.pending.push_back(report);
    }
    const std::string text = report.Text();
    std::fprintf(stderr, "mirovan: %s\n", text.c_str());
    WriteLog(codepage::FromUtf8Replacing(text, "?"));
}

// Only under the hive's lock: every writer takes it before replacing or
// moving the file, so neither a fresh file nor an older kept one is hit.
void MoveAside(const std::string& path, const std::string& reason)
{
    const platform::KeptAside aside =
        platform::KeepAside(path, platform::AsideMode::Move, platform::AsideClash::NumberAnother);
    Report(DamageReport{path, aside.kept ? aside.path : std::string(), reason});
}

enum class Load { Loaded, Missing, Unreadable, Damaged };

Load ReadInto(const std::string& path, Hive& hive, std::string& reason)
{
    std::string bytes;
    try {
        platform::InputFile file(path);
        if (file.BytesLeft() > kMaxHiveBytes) {
            reason = "larger than a settings file can be";
            return Load::Damaged;
        }
        char buffer[8192];
        while (const size_t n = file.ReadSome(buffer, sizeof buffer)) {
            bytes.append(buffer, n);
            if (bytes.size() > kMaxHiveBytes) {
                reason = "larger than a settings file can be";
                return Load::Damaged;
            }
        }
    } catch (const CFileException& ex) {
        return ex.m_cause == kFileNotFound ? Load::Missing : Load::Unreadable;
    }
    return ParseHive(hive, bytes, reason) ? Load::Loaded : Load::Damaged;
}

// The hive as it is now, for reading: empty when the file is missing,
// unreadable or damaged.
void ReadHive(Root root, Hive& hive)
{
    const std::string path = HivePath(root);
    std::string reason;
    if (ReadInto(path, hive, reason) != Load::Damaged)
        return;
    platform::ProcessLock lock(path + ".lock", kLockWait);
    if (!lock.Held()) {
        ParseHive(hive, {}, reason);
        Report(DamageReport{path, {}, reason});
        return;
    }
    // Look again: a writer may have replaced it while we waited.
    const Load again = ReadInto(path, hive, reason);
    if (again == Load::Damaged)
        MoveAside(path, reason);
    if (again != Load::Loaded)
        ParseHive(hive, {}, reason);
}

enum class Change { Unchanged, Changed, Failed };

// One change: under the hive's lock, read the file as it is now, apply the
// change and put the whole file back in one rename.
bool Modify(Root root, const std::function<Change(Hive&)>& change)
{
    try {
        const std::string path = HivePath(root);
        // Nothing to do on an empty hive and no file: leave no trace, not
        // even the folder or the lock file.
        if (!platform::FileExists(path)) {
            Hive empty(RootName(root));
            if (const Change onEmpty = change(empty); onEmpty != Change::Changed)
                return onEmpty == Change::Unchanged;
        }
        if (!platform::MakeDirectories(platform::ParentFolder(path)))
            return false;
        platform::ProcessLock lock(path + ".lock", kLockWait);
        if (!lock.Held())
            return false;
        Hive hive(RootName(root));
        std::string reason;
        switch (ReadInto(path, hive, reason)) {
        case Load::Loaded:
        case Load::Missing: break;
        case Load::Unreadable: return false;
        case Load::Damaged:
            MoveAside(path, reason);
            if (platform::FileExists(path))
                return false; // still there: never write over it
            ParseHive(hive, {}, reason);
            break;
        }
        if (platform::IsReadOnlyFile(path))
            return false;
        const Change result = change(hive);
        if (result != Change::Changed)
            return result == Change::Unchanged;
        const auto text = SerializeHive(hive);
        // Never write a file that would be refused when read back.
        if (!text || text->size() > kMaxHiveBytes)
            return false;
        platform::ReplacingFile out(path);
        out.Write(text->data(), text->size());
        out.Commit();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool ValidText(const std::string& cp932) { return codepage::ToUtf8(cp932).has_value(); }

Change SetValue(Hive& hive, const std::string& keyPath, const std::string& name, uint32_t type, std::string data,
                bool wide = false)
{
    HiveKey* key = hive.Create(keyPath);
    if (!key)
        return Change::Failed;
    if (const HiveValue* old = key->FindValue(name); old && old->type == type && old->data == data && old->wide == wide)
        return Change::Unchanged;
    key->SetValue(name, type, std::move(data), wide);
    return Change::Changed;
}

// A key's contents taken out of its hive, so that a copy can go anywhere,
// even into the tree it comes from.
struct KeyCopy {
    std::string name;
    std::string className;
    std::vector<HiveValue> values;
    std::vector<KeyCopy> subkeys;
};

KeyCopy Snapshot(const HiveKey& key)
{
    KeyCopy copy{key.Name(), key.ClassName(), {key.Values().begin(), key.Values().end()}, {}};
    copy.subkeys.reserve(key.SubkeyCount());
    for (const HiveKey& sub : key.Subkeys())
        copy.subkeys.push_back(Snapshot(sub));
    return copy;
}

void CopyValuesInto(const std::vector<HiveValue>& values, HiveKey& dest)
{
    for (const HiveValue& v : values)
        if (v.name.size() <= kMaxCopyNameBytes && v.data.size() <= kMaxCopyDataBytes)
            dest.SetValue(v.name, v.type, v.data, v.wide);
}

// Each subkey is made (with its class) and filled before its own subkeys,
// then the key itself; a key that cannot be made is skipped.
void ApplyTree(Hive& dest, const std::string& destPath, const KeyCopy& source)
{
    for (const KeyCopy& sub : source.subkeys) {
        const std::string subPath = JoinKey(destPath, sub.name);
        if (HiveKey* key = dest.Create(subPath, sub.className))
            CopyValuesInto(sub.values, *key);
        ApplyTree(dest, subPath, sub);
    }
    if (HiveKey* key = dest.Create(destPath))
        CopyValuesInto(source.values, *key);
}

// Copies from a hive already in hand (same root) or from a fresh read.
template <class Apply> void CopyBetween(Root sourceRoot, const std::string& sourcePath, Root destRoot, Apply apply)
{
    if (sourceRoot == destRoot) {
        Modify(destRoot, [&](Hive& hive) {
            const HiveKey* source = hive.Find(sourcePath);
            if (!source)
                return Change::Unchanged;
            apply(hive, Snapshot(*source));
            return Change::Changed;
        });
        return;
    }
    Hive sourceHive(RootName(sourceRoot));
    ReadHive(sourceRoot, sourceHive);
    const HiveKey* source = sourceHive.Find(sourcePath);
    if (!source)
        return;
    const KeyCopy copy = Snapshot(*source);
    Modify(destRoot, [&](Hive& hive) {
        apply(hive, copy);
        return Change::Changed;
    });
}

Change DeleteTreeIn(Hive& hive, const std::string& keyPath)
{
    if (keyPath.empty())
        return Change::Unchanged;
    return hive.Remove(keyPath) ? Change::Changed : Change::Unchanged;
}

Change DeleteIfLeafIn(Hive& hive, const std::string& keyPath)
{
    const HiveKey* key = keyPath.empty() ? nullptr : hive.Find(keyPath);
    if (!key || key->SubkeyCount() != 0)
        return Change::Unchanged;
    hive.Remove(keyPath);
    return Change::Changed;
}

uint32_t NumberIn(const Hive& hive, const std::string& keyPath, const std::string& name, uint32_t defaultValue)
{
    const HiveKey* key = hive.Find(keyPath);
    const HiveValue* v = key ? key->FindValue(name) : nullptr;
    // A value longer than the 4 bytes asked for does not fit and is not
    // read; a shorter one fills the low bytes.
    if (!v || v->data.size() > 4)
        return defaultValue;
    uint32_t n = 0;
    for (size_t i = 0; i < v->data.size(); ++i)
        n |= static_cast<uint32_t>(static_cast<unsigned char>(v->data[i])) << (8 * i);
    return n;
}

void MigrateHive(Root root)
{
    Modify(root, [](Hive& hive) {
        const HiveKey* source = hive.Find(settings::kLegacyProgram);
        if (source)
            ApplyTree(hive, settings::kProgram, Snapshot(*source));
        const bool deleted = DeleteTreeIn(hive, settings::kLegacyProgram) == Change::Changed;
        const bool pruned = DeleteIfLeafIn(hive, settings::kLegacyMaker) == Change::Changed;
        return source || deleted || pruned ? Change::Changed : Change::Unchanged;
    });
}

} // namespace

std::string DamageReport::Text() const
{
    std::string text = "the registry file " + hivePath + " cannot be read (" + reason + ")";
    if (keptAs.empty())
        text += "; it could not be moved aside and is left in place, read as empty";
    else
        text += "; it was kept as " + keptAs + " and an empty one is used";
    return text;
}

std::vector<DamageReport> TakeDamageReports()
{
    DamageState& state = Damage();
    std::lock_guard lock(state.mutex);
    std::vector<DamageReport> out;
    out.swap(state.pending);
    return out;
}

std::string HivePath(Root root)
{
    return root == Root::CurrentUser ? platform::JoinPath(settings::ConfigFolder(), settings::kUserHiveFile)
                                     : platform::JoinPath(settings::MachineConfigFolder(), settings::kMachineHiveFile);
}

uint32_t ReadNumber(Root root, const std::string& keyPath, const std::string& name, uint32_t defaultValue)
{
    try {
        Hive hive(RootName(root));
        ReadHive(root, hive);
        return NumberIn(hive, CString(keyPath), CString(name), defaultValue);
    } catch (const std::exception&) {
        return defaultValue;
    }
}

std::string ReadText(Root root, const std::string& keyPath, const std::string& name, const std::string& defaultText)
{
    try {
        Hive hive(RootName(root));
        ReadHive(root, hive);
        const HiveKey* key = hive.Find(CString(keyPath));
        const HiveValue* v = key ? key->FindValue(CString(name)) : nullptr;
        std::string text = v ? CString(v->data) : std::string();
        if (v && v->wide)
            text = codepage::FromUtf8Replacing(text, "?");
        return text.empty() ? defaultText : text;
    } catch (const std::exception&) {
        return defaultText;
    }
}

bool WriteText(Root root, const std::string& keyPath, const std::string& name, const std::string& text)
{
    std::string data = CString(text);
    // Refused rather than written in a form that reads back differently.
    if (!ValidText(data))
        return false;
    data += '\0';
    return Modify(root, [&](Hive& hive) { return SetValue(hive, CString(keyPath), CString(name), kString, data); });
}

std::string ReadPath(Root root, const std::string& keyPath, const std::string& name)
{
    try {
        Hive hive(RootName(root));
        ReadHive(root, hive);
        const HiveKey* key = hive.Find(CString(keyPath));
        const HiveValue* v = key ? key->FindValue(CString(name)) : nullptr;
        if (!v)
            return {};
        if (v->type == kBinary)
            return v->data;
        const std::string text = CString(v->data);
        if (v->wide)
            return text;
        // A code page text that does not decode (raw hex(1) data) is no
        // name the file system could have given; keep its bytes.
        return codepage::ToUtf8(text).value_or(text);
    } catch (const std::exception&) {
        return {};
    }
}

bool WritePath(Root root, const std::string& keyPath, const std::string& name, const std::string& path)
{
    if (path.find('\0') != std::string::npos)
        return false;
    uint32_t type = kBinary;
    StringData data{path, false};
    if (utf::FindInvalidUtf8(path) == std::string::npos && path.find_first_of("\r\n") == std::string::npos) {
        type = kString;
        data = StringFromUtf8(path);
    }
    return Modify(
        root, [&](Hive& hive) { return SetValue(hive, CString(keyPath), CString(name), type, data.data, data.wide); });
}

bool WriteNumber(Root root, const std::string& keyPath, const std::string& name, uint32_t value)
{
    std::string data(4, '\0');
    for (size_t i = 0; i < 4; ++i)
        data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return Modify(root, [&](Hive& hive) { return SetValue(hive, CString(keyPath), CString(name), kDword, data); });
}

void CollectSubkeys(Root root, const std::string& keyPath, std::vector<std::string>& out)
{
    try {
        Hive hive(RootName(root));
        ReadHive(root, hive);
        const HiveKey* key = hive.Find(CString(keyPath));
        if (!key)
            return;
        const std::function<void(const HiveKey&, const std::string&)> walk = [&](const HiveKey& k,
                                                                                 const std::string& path) {
            for (const HiveKey& sub : k.Subkeys()) {
                std::string subPath = JoinKey(path, sub.Name());
                out.push_back(subPath);
                walk(sub, subPath);
            }
        };
        walk(*key, keyPath);
    } catch (const std::exception&) {
    }
}

void DeleteTree(Root root, const std::string& keyPath)
{
    Modify(root, [&](Hive& hive) { return DeleteTreeIn(hive, CString(keyPath)); });
}

void DeleteIfLeaf(Root root, const std::string& keyPath)
{
    Modify(root, [&](Hive& hive) { return DeleteIfLeafIn(hive, CString(keyPath)); });
}

void CopyValues(Root sourceRoot, const std::string& sourcePath, Root destRoot, const std::string& destPath)
{
    try {
        const std::string dest = CString(destPath);
        CopyBetween(sourceRoot, CString(sourcePath), destRoot, [&](Hive& hive, const KeyCopy& source) {
            if (HiveKey* key = hive.Create(dest))
                CopyValuesInto(source.values, *key);
        });
    } catch (const std::exception&) {
    }
}

void CopyTree(Root sourceRoot, const std::string& sourcePath, Root destRoot, const std::string& destPath)
{
    try {
        const std::string dest = CString(destPath);
        CopyBetween(sourceRoot, CString(sourcePath), destRoot,
                    [&](Hive& hive, const KeyCopy& source) { ApplyTree(hive, dest, source); });
    } catch (const std::exception&) {
    }
}

void MigrateLegacyHives()
{
    try {
        MigrateHive(Root::CurrentUser);
        MigrateHive(Root::LocalMachine);
    } catch (const std::exception&) {
    }
}

} // namespace mirovan::registry
