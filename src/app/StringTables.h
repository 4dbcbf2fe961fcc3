// The program's numbered texts: the alert table and the string lists, read
// from one resource text and looked up by kind, table and entry, or by a
// path such as "SALR/129/2000" or "SSTR/128/500".
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace NSTextPackage {

// Kinds of tables, as they appear in paths.
inline constexpr std::string_view kAlertKind = "SALR";
inline constexpr std::string_view kStringKind = "SSTR";
inline constexpr std::string_view kHelpKind = "SHLP";

class CStringTables {
public:
    // Reads a resource text. A line holding a kind and a number ("SALR 129")
    // opens a table; an entry line is the entry number, white space and the
    // text in braces; lines starting with "//" and blank lines are skipped.
    // Malformed lines, entries outside a table and an entry or table given
    // twice throw XIllegalTextFormat.
    static CStringTables Parse(std::string_view resourceText);

    // The program's own tables, read once from the text built into the
    // program. Safe to call from any thread.
    static const CStringTables& Program();

    std::optional<std::string_view> Find(std::string_view kind, int32_t table,
                                         int32_t entry) const;
    // A path "KIND/table/entry"; a malformed path finds nothing.
    std::optional<std::string_view> Find(std::string_view path) const;

    // As Find, but a missing entry throws XNotFound.
    std::string_view Get(std::string_view kind, int32_t table, int32_t entry) const;
    std::string_view Get(std::string_view path) const;

    // Every entry of one table in entry order; empty when the table is absent.
    const std::map<int32_t, std::string>& Entries(std::string_view kind,
                                                  int32_t table) const;

private:
    using TTableKey = std::pair<std::string, int32_t>;
    std::map<TTableKey, std::map<int32_t, std::string>> fTables;
};

// Substitutes "^0" ... "^9" by the arguments (a placeholder without an
// argument becomes empty) and turns each "\r" into a line break ('\n').
// Substituted arguments are not scanned again.
std::string FormatText(std::string_view text, std::span<const std::string_view> arguments);
std::string FormatText(std::string_view text,
                       std::initializer_list<std::string_view> arguments = {});

// The resource text built into the program (generated at build time).
std::string_view EmbeddedResourceText();

} // namespace NSTextPackage

namespace NSZubrik {

// An entry of one of the program's string lists with its arguments filled
// in; a missing entry throws XNotFound.
std::string GetString(int32_t list, int32_t entry,
                      std::initializer_list<std::string_view> arguments = {});

} // namespace NSZubrik
