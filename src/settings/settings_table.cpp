#include "settings/settings_table.h"

#include <type_traits>

namespace tarvenna {
namespace {

// Counts the fields of an aggregate: an aggregate takes at most one
// initializer per field.
struct AnyField {
    template <class T>
    operator T() const;
};
template <class T, class... Fields>
constexpr std::size_t FieldCount()
{
    if constexpr (requires { T{Fields{}..., AnyField{}}; })
        return FieldCount<T, Fields..., AnyField>();
    else
        return sizeof...(Fields);
}
static_assert(FieldCount<Settings>() == kSettingsTable.size(), "every field of Settings needs a row in the table");

} // namespace

bool IsSwitch(const SettingRow& row) { return std::holds_alternative<bool Settings::*>(row.member); }

int ValueCount(const SettingRow& row)
{
    if (IsSwitch(row)) return 2;
    int count = 0;
    while (count < static_cast<int>(row.values.size()) && row.values[static_cast<std::size_t>(count)].word != nullptr)
        ++count;
    return count;
}

int ValueOf(const Settings& settings, const SettingRow& row)
{
    return std::visit([&](auto member) { return static_cast<int>(settings.*member); }, row.member);
}

void SetValue(Settings& settings, const SettingRow& row, int value)
{
    std::visit(
        [&](auto member) {
            using Value = std::remove_reference_t<decltype(settings.*member)>;
            if constexpr (std::is_same_v<Value, bool>)
                settings.*member = value != 0;
            else
                settings.*member = static_cast<Value>(value);
        },
        row.member);
}

bool OptionValue(const SettingRow& row) { return ValueOf(Settings{}, row) == 0; }

std::string OptionName(const SettingRow& row)
{
    return std::string(IsSwitch(row) && !OptionValue(row) ? "--no-" : "--") + row.name;
}

std::string ControlName(const SettingRow& row, int value)
{
    if (IsSwitch(row)) return row.name;
    return std::string(row.name) + "-" + row.values[static_cast<std::size_t>(value)].word;
}

int ControlId(const SettingRow& row, int value)
{
    return IsSwitch(row) ? row.control : row.values[static_cast<std::size_t>(value)].control;
}

const SettingRow& RowOf(SettingsMember member)
{
    for (const SettingRow& row : kSettingsTable)
        if (row.member == member) return row;
    return kSettingsTable.front(); // every field has a row: the table test sees to it
}

std::optional<std::uint32_t> ParseSeedText(std::string_view text)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

} // namespace tarvenna
