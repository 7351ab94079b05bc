// Checks a table of texts that a Try* parser must refuse, leaving its result alone.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

namespace kvr::test {

template <typename Value, typename Parse>
void ExpectAllRefused(std::initializer_list<std::string_view> texts, Parse parse) {
    const Value untouched = 42;
    for (std::string_view text : texts) {
        SCOPED_TRACE("\"" + std::string(text) + "\"");
        Value value = untouched;
        EXPECT_FALSE(parse(text, value));
        EXPECT_EQ(value, untouched);
    }
}

}  // namespace kvr::test
