#include "support/registry/RegistryHive.h"

#include "support/Codepage.h"
#include "support/Utf.h"

#include <algorithm>
#include <utility>

namespace mirovan::registry {
namespace {

size_t CharCount(std::string_view cp932)
{
    size_t n = 0;
    for (size_t i = 0; i < cp932.size(); ++n)
        i += codepage::IsLeadByte(static_cast<unsigned char>(cp932[i])) && i + 1 < cp932.size() ? 2 : 1;
    return n;
}

// Keys in a subtree and the lengths of their paths, the top one included.
std::pair<size_t, size_t> Measure(const HiveKey& key, size_t pathBytes)
{
    std::pair<size_t, size_t> sum{1, pathBytes};
    for (const HiveKey& sub : key.Subkeys()) {
        const auto [keys, bytes] = Measure(sub, pathBytes + 1 + sub.Name().size());
        sum.first += keys;
        sum.second += bytes;
    }
    return sum;
}

} // namespace

std::string FoldName(std::string_view name)
{
    std::string out(name);
    for (size_t i = 0; i < out.size(); ++i) {
        auto c = static_cast<unsigned char>(out[i]);
        if (codepage::IsLeadByte(c) && i + 1 < out.size()) {
            auto t = static_cast<unsigned char>(out[i + 1]);
            if (c == 0x82 && t >= 0x60 && t <= 0x79)
                t = static_cast<unsigned char>(t + 0x21); // full-width Latin
            else if (c == 0x83 && t >= 0x9F && t <= 0xB6)
                t = static_cast<unsigned char>(t + 0x20); // Greek
            else if (c == 0x84 && t >= 0x40 && t <= 0x60)
                t = static_cast<unsigned char>(0x70 + (t - 0x40) +
                                               (t - 0x40 >= 15 ? 1 : 0)); // Cyrillic, 0x7F is no trail byte
            out[i + 1] = static_cast<char>(t);
            ++i;
        } else if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

std::optional<std::vector<std::string>> SplitKeyPath(std::string_view path)
{
    std::vector<std::string> names;
    if (path.empty())
        return names;
    std::string current;
    for (size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (c == 0)
            return std::nullopt;
        if (codepage::IsLeadByte(c) && i + 1 < path.size()) {
            current += path[i];
            current += path[++i];
            continue;
        }
        if (c == '\\') {
            if (current.empty())
                return std::nullopt;
            names.push_back(std::move(current));
            current.clear();
            continue;
        }
        current += static_cast<char>(c);
    }
    if (current.empty())
        return std::nullopt;
    names.push_back(std::move(current));
    return names;
}

HiveKey::HiveKey(std::string name, std::string className) : name_(std::move(name)), className_(std::move(className)) {}

HiveKey* HiveKey::FindSubkey(std::string_view name)
{
    const auto it = subkeyIndex_.find(FoldName(name));
    return it == subkeyIndex_.end() ? nullptr : &*it->second;
}

const HiveKey* HiveKey::FindSubkey(std::string_view name) const
{
    const auto it = subkeyIndex_.find(FoldName(name));
    return it == subkeyIndex_.end() ? nullptr : &*it->second;
}

HiveKey& HiveKey::AddSubkey(std::string_view name, const std::string& className)
{
    std::string folded = FoldName(name);
    if (const auto it = subkeyIndex_.find(folded); it != subkeyIndex_.end())
        return *it->second;
    subkeys_.emplace_back(std::string(name), className);
    subkeyIndex_.emplace(std::move(folded), std::prev(subkeys_.end()));
    return subkeys_.back();
}

bool HiveKey::RemoveSubkey(std::string_view name)
{
    const auto it = subkeyIndex_.find(FoldName(name));
    if (it == subkeyIndex_.end())
        return false;
    subkeys_.erase(it->second);
    subkeyIndex_.erase(it);
    return true;
}

const HiveValue* HiveKey::FindValue(std::string_view name) const
{
    const auto it = valueIndex_.find(FoldName(name));
    return it == valueIndex_.end() ? nullptr : &*it->second;
}

StringData StringFromUtf8(std::string_view utf8)
{
    if (utf::IsAscii(utf8))
        return {std::string(utf8) + '\0', false};
    // Some characters go into the code page one way only (a fallback
    // mapping); those would come back as others.
    if (auto cp932 = codepage::FromUtf8(utf8); cp932 && codepage::ToUtf8(*cp932) == utf8)
        return {*cp932 + '\0', false};
    return {std::string(utf8) + '\0', true};
}

void HiveKey::SetValue(std::string_view name, uint32_t type, std::string data, bool wide)
{
    std::string folded = FoldName(name);
    if (const auto it = valueIndex_.find(folded); it != valueIndex_.end()) {
        it->second->type = type;
        it->second->data = std::move(data);
        it->second->wide = wide;
        return;
    }
    values_.push_back(HiveValue{std::string(name), type, std::move(data), wide});
    valueIndex_.emplace(std::move(folded), std::prev(values_.end()));
}

bool HiveKey::RemoveValue(std::string_view name)
{
    const auto it = valueIndex_.find(FoldName(name));
    if (it == valueIndex_.end())
        return false;
    values_.erase(it->second);
    valueIndex_.erase(it);
    return true;
}

bool HiveKey::operator==(const HiveKey& other) const
{
    return name_ == other.name_ && className_ == other.className_ && values_ == other.values_ &&
           subkeys_ == other.subkeys_;
}

Hive::Hive(std::string rootName) : rootName_(std::move(rootName)), root_(std::string()) {}

void Hive::Clear()
{
    while (!root_.Subkeys().empty())
        root_.RemoveSubkey(root_.Subkeys().front().Name());
    while (!root_.Values().empty())
        root_.RemoveValue(root_.Values().front().name);
    root_.SetClassName({});
    keyCount_ = 0;
    pathBytes_ = 0;
}

HiveKey* Hive::Find(std::string_view path) { return const_cast<HiveKey*>(std::as_const(*this).Find(path)); }

const HiveKey* Hive::Find(std::string_view path) const
{
    const auto names = SplitKeyPath(path);
    if (!names)
        return nullptr;
    const HiveKey* key = &root_;
    for (const std::string& name : *names)
        if (!(key = key->FindSubkey(name)))
            return nullptr;
    return key;
}

HiveKey* Hive::Create(std::string_view path, const std::string& className)
{
    const auto names = SplitKeyPath(path);
    if (!names || names->size() > kMaxKeyDepth)
        return nullptr;
    for (const std::string& name : *names)
        if (CharCount(name) > kMaxKeyNameChars)
            return nullptr;
    HiveKey* key = &root_;
    size_t pathBytes = 0;
    for (size_t i = 0; i < names->size(); ++i) {
        pathBytes += (i ? 1 : 0) + (*names)[i].size();
        if (HiveKey* next = key->FindSubkey((*names)[i])) {
            key = next;
            continue;
        }
        if (keyCount_ >= kMaxKeys || pathBytes > kMaxPathBytes - pathBytes_)
            return nullptr;
        key = &key->AddSubkey((*names)[i], i + 1 == names->size() ? className : std::string());
        ++keyCount_;
        pathBytes_ += pathBytes;
    }
    return key;
}

bool Hive::Remove(std::string_view path)
{
    auto names = SplitKeyPath(path);
    if (!names || names->empty())
        return false;
    const std::string last = names->back();
    names->pop_back();
    HiveKey* parent = &root_;
    for (const std::string& name : *names)
        if (!(parent = parent->FindSubkey(name)))
            return false;
    const HiveKey* key = parent->FindSubkey(last);
    if (!key)
        return false;
    size_t pathBytes = names->size(); // the separators
    for (const std::string& name : *names)
        pathBytes += name.size();
    pathBytes += key->Name().size();
    const auto [keys, bytes] = Measure(*key, pathBytes);
    keyCount_ -= keys;
    pathBytes_ -= bytes;
    return parent->RemoveSubkey(last);
}

} // namespace mirovan::registry
