#include "support/errors.h"

#include <gtest/gtest.h>

namespace kvr {
namespace {

TEST(Errors, FormatMessageFillsPlaceholdersInTurn) {
    struct Case {
        const char* format;
        std::initializer_list<std::string_view> args;
        const char* expected;
    };
    const Case cases[] = {
        {"'%s' is not a valid integer value for field '%s'", {"x1", "Id"}, "'x1' is not a valid integer value for field 'Id'"},
        {"''%s'' is not a valid date", {"31/02/2024"}, "''31/02/2024'' is not a valid date"},
        {"no placeholder", {"ignored"}, "no placeholder"},
        {"%s%s", {"a", "b"}, "ab"},
        {"%s", {"%s"}, "%s"},                       // an argument is never scanned again
        {"%s and %s", {"one"}, "one and %s"},       // a missing argument stays visible
        {"100%", {}, "100%"},
        {"", {"x"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(FormatMessage(c.format, c.args), c.expected);
    }
}

TEST(Errors, EveryKindIsAnException) {
    try {
        throw EFileError("Cannot open file \"x\". No such file or directory");
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Cannot open file \"x\". No such file or directory");
    }
    EXPECT_THROW(throw EConvertError("c"), Exception);
    EXPECT_THROW(throw EDatabaseError("d"), Exception);
    EXPECT_THROW(throw EStreamError("s"), std::runtime_error);
}

}  // namespace
}  // namespace kvr
