#include "support/settings/SettingsStore.h"

#include "support/Codepage.h"
#include "support/Profile.h"
#include "support/registry/Registry.h"

namespace mirovan::settings {
namespace {

registry::Root RootOf(Store store)
{
    return store == Store::Machine ? registry::Root::LocalMachine : registry::Root::CurrentUser;
}

} // namespace

uint32_t Read(const Number& value) { return Read(value, value.fallback); }

uint32_t Read(const Number& value, uint32_t fallback)
{
    if (value.store == Store::Profile)
        return profile::ReadNumber(value.key, value.name, fallback);
    return registry::ReadNumber(RootOf(value.store), value.key, value.name, fallback);
}

bool Write(const Number& value, uint32_t number)
{
    if (value.store == Store::Profile)
        return profile::WriteNumber(value.key, value.name, number);
    return registry::WriteNumber(RootOf(value.store), value.key, value.name, number);
}

// The profile keeps numbers only: a text or path there is refused.
std::string Read(const Text& value) { return Read(value, DefaultText(value)); }

std::string Read(const Text& value, const std::string& fallback)
{
    if (value.store == Store::Profile)
        return fallback;
    return registry::ReadText(RootOf(value.store), value.key, value.name, fallback);
}

bool Write(const Text& value, const std::string& text)
{
    return value.store != Store::Profile && registry::WriteText(RootOf(value.store), value.key, value.name, text);
}

std::string DefaultText(const Text& value) { return codepage::FromUtf8(value.fallback).value_or(std::string()); }

std::string Read(const TextFamily& family, const std::string& name)
{
    if (family.store == Store::Profile)
        return std::string();
    return registry::ReadText(RootOf(family.store), family.key, name, "");
}

bool Write(const TextFamily& family, const std::string& name, const std::string& text)
{
    return family.store != Store::Profile && registry::WriteText(RootOf(family.store), family.key, name, text);
}

std::string Read(const Path& value)
{
    if (value.store == Store::Profile)
        return std::string();
    return registry::ReadPath(RootOf(value.store), value.key, value.name);
}

bool Write(const Path& value, const std::string& path)
{
    return value.store != Store::Profile && registry::WritePath(RootOf(value.store), value.key, value.name, path);
}

void MigrateLegacyKey()
{
    // With the version gone after a move, a second run ends here.
    if (registry::ReadNumber(registry::Root::CurrentUser, kLegacyProperty, kVersion.name, 0) == 0)
        return;
    registry::MigrateLegacyHives();
}

} // namespace mirovan::settings
