// The names of the Windows language-identifier constants ("LANG_FRENCH",
// "SUBLANG_FRENCH_CANADIAN", ...) and their numbers. Primary and sub-language names share
// one map; nothing tells them apart.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

class LanguageTable {
public:
    LanguageTable();
    virtual ~LanguageTable() = default;

    // The number of a name; a name the table lacks is added with 0, so it yields 0.
    std::uint16_t& operator[](const std::string& name);
    std::size_t size() const { return values_.size(); }
    // Every row, names in byte-wise order.
    const std::map<std::string, std::uint16_t>& Rows() const { return values_; }

private:
    std::map<std::string, std::uint16_t> values_;
};
