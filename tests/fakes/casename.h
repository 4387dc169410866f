#pragma once

// Readable names for the cases of parameterised tests: without a name generator googletest
// numbers the cases and ctest shows their bytes ("16-byte object <00-00 …>"). Each table names
// its cases from a field that tells them apart:
//
//   INSTANTIATE_TEST_SUITE_P(Lengths, M3uReaderDurations, ::testing::Values(...),
//                            tv::cases::NameFrom(&DurationCase::line));
//
// A name keeps the letters and digits of the text and turns every other run of characters into
// one "_" ("#EXTINF:61.6,Frac" gives "EXTINF_61_6_Frac", "-3" gives "minus3"). Tables whose
// texts may repeat or be empty use NumberedNameFrom, which puts the case's number in front.

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

namespace tv::cases {

// `text` as a test name (see above); "empty" when nothing of it is left.
inline std::string CaseName(std::string_view text) {
    std::string name;
    bool gap = false;   // characters were left out since the last one kept
    bool word = false;  // the previous character was a letter or digit
    for (const char c : text) {
        const bool kept = std::isalnum(static_cast<unsigned char>(c)) != 0;
        if (kept || (c == '-' && !word)) {  // a minus sign, not a hyphen inside a word
            if (gap && !name.empty())
                name += '_';
            name += kept ? std::string(1, c) : std::string("minus");
            gap = false;
        } else {
            gap = true;
        }
        word = kept;
    }
    return name.empty() ? std::string("empty") : name;
}

// The text of a case's field: strings as they are, numbers, enumerations and truth values
// written out.
template <class T>
std::string CaseText(const T& value) {
    if constexpr (std::is_convertible_v<const T&, std::string_view>) {
        return std::string(std::string_view(value));
    } else if constexpr (std::is_same_v<T, bool>) {
        return value ? "true" : "false";
    } else if constexpr (std::is_enum_v<T>) {
        return std::to_string(static_cast<long long>(value));
    } else if constexpr (std::is_floating_point_v<T>) {
        std::string text = std::to_string(value);
        text.erase(text.find_last_not_of('0') + 1);  // 500.000000 -> 500.
        if (!text.empty() && text.back() == '.')
            text.pop_back();
        return text;
    } else {
        return std::to_string(value);
    }
}

// Generator naming each case from its field `field`.
template <class Case, class Field>
auto NameFrom(Field Case::*field) {
    return [field](const ::testing::TestParamInfo<Case>& info) {
        return CaseName(CaseText(info.param.*field));
    };
}

// Generator naming each case "<number>_<field>", for texts that may repeat or be empty.
template <class Case, class Field>
auto NumberedNameFrom(Field Case::*field) {
    return [field](const ::testing::TestParamInfo<Case>& info) {
        return std::to_string(info.index) + "_" + CaseName(CaseText(info.param.*field));
    };
}

// Generator for tables of plain values (numbers, strings, enumerations) and of their tuples
// (::testing::Combine): the values joined by "_".
struct ValueName {
    template <class T>
    std::string operator()(const ::testing::TestParamInfo<T>& info) const {
        return CaseName(Join(info.param));
    }

private:
    template <class T>
    static std::string Join(const T& value) {
        return CaseText(value);
    }
    template <class... T>
    static std::string Join(const std::tuple<T...>& values) {
        std::string text;
        std::apply([&](const auto&... v) { ((text += (text.empty() ? "" : " ") + Join(v)), ...); },
                   values);
        return text;
    }
};

}  // namespace tv::cases
