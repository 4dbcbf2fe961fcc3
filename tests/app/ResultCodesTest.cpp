#include "app/ResultCodes.h"
#include "app/ZubrikErrors.h"

#include <gtest/gtest.h>

#include <functional>
#include <typeinfo>

using namespace NSZubrik;

namespace {

template <typename TException>
std::exception_ptr Made(TException exception)
{
    return std::make_exception_ptr(exception);
}

// The code of whatever a checker throws for code; 12000 when it returns.
int32_t CodeThrownBy(const std::function<void(int32_t)>& check, int32_t code)
{
    return CallbackResult([&] { check(code); });
}

} // namespace

// The checkers never throw these subclasses, so the round trip below cannot
// reach them.
TEST(ResultCodes, TranslationTestsDerivedTypesFirst)
{
    EXPECT_EQ(ResultCodeOf(Made(XFileLocked())), 100007);
    EXPECT_EQ(ResultCodeOf(Made(XInputItemNotFound())), 100003);
    EXPECT_EQ(ResultCodeOf(Made(XResultingItemNotFound())), 100004);
}

TEST(ResultCodes, StandardAndUnknownExceptions)
{
    EXPECT_EQ(ResultCodeOf(Made(std::bad_alloc())), 12001);
    EXPECT_EQ(ResultCodeOf(Made(std::invalid_argument("x"))), 12002);
    EXPECT_EQ(ResultCodeOf(Made(std::logic_error("x"))), 12004);
    EXPECT_EQ(ResultCodeOf(Made(std::out_of_range("x"))), 12004); // a logic error
    EXPECT_EQ(ResultCodeOf(Made(std::runtime_error("x"))), 12007);
    EXPECT_EQ(ResultCodeOf(Made(XOtherError())), 12007);
    EXPECT_EQ(ResultCodeOf(Made(XZBX2BadFormat())), 12007); // outside the list
    EXPECT_EQ(ResultCodeOf(Made(42)), 12007);                // not a standard exception
    EXPECT_EQ(ResultCodeOf(nullptr), 12000);
}

TEST(ResultCodes, CallbackResultCatchesEverything)
{
    EXPECT_EQ(CallbackResult([] {}), 12000);
    EXPECT_EQ(CallbackResult([] { throw XFileLocked(); }), 100007);
    EXPECT_EQ(CallbackResult([] { throw "text"; }), 12007);
}

// Every code of the shared space comes back through checker and translation;
// only the variants that the checker reports as their base change.
TEST(ResultCodes, SharedSpaceRoundTrip)
{
    std::vector<int32_t> codes;
    for (int32_t code = 12001; code <= 12010; ++code)
        codes.push_back(code);
    for (int32_t code = 100000; code <= 100029; ++code) {
        if (code < 100018 || code > 100021)
            codes.push_back(code);
    }
    for (const int32_t code : codes) {
        int32_t expected = code;
        if (code == 100003 || code == 100004)
            expected = 100002; // XNotFound, not XInputItemNotFound
        if (code == 100007)
            expected = 100008;
        EXPECT_EQ(CodeThrownBy(CheckFrameKitResult, code), expected) << code;
    }
    EXPECT_NO_THROW(CheckFrameKitResult(12000));
    EXPECT_THROW(CheckFrameKitResult(100003), XNotFound);
    try {
        CheckFrameKitResult(100003);
    } catch (const XNotFound& e) {
        EXPECT_EQ(dynamic_cast<const XInputItemNotFound*>(&e), nullptr);
    }
}

TEST(ResultCodes, CheckersOfTheOtherSpaces)
{
    EXPECT_NO_THROW(CheckDiskKitResult(5000));
    EXPECT_NO_THROW(CheckRasterKitResult(991));
    EXPECT_NO_THROW(CheckImageDecodeKitResult(730));
    EXPECT_NO_THROW(CheckSoundKitResult(991));

    const std::pair<int32_t, int32_t> disk[] = {
        {5001, 12001}, {5002, 12002}, {5003, 12008}, {5004, 12003}, {5005, 12004},
        {5006, 100006}, {5007, 100005}, {5010, 100007}, {5011, 100008}, {5012, 100000},
        {5013, 100001}, {5014, 12005}, {5015, 12006}, {5016, 100010}, {5017, 100009},
        {5018, 100003}, {5019, 100004}, {5020, 12007}};
    for (const auto& [code, shared] : disk)
        EXPECT_EQ(CodeThrownBy(CheckDiskKitResult, code), shared) << code;

    EXPECT_EQ(CodeThrownBy(CheckRasterKitResult, 994), 12008);
    EXPECT_EQ(CodeThrownBy(CheckRasterKitResult, 995), 12003);
    EXPECT_EQ(CodeThrownBy(CheckRasterKitResult, 997), 12006);
    EXPECT_EQ(CodeThrownBy(CheckRasterKitResult, 1002), 12007);
    EXPECT_EQ(CodeThrownBy(CheckImageDecodeKitResult, 732), 12005);
    EXPECT_EQ(CodeThrownBy(CheckImageDecodeKitResult, 734), 100000);
    EXPECT_EQ(CodeThrownBy(CheckImageDecodeKitResult, 736), 12002);
    EXPECT_EQ(CodeThrownBy(CheckSoundKitResult, 997), 100000);
    EXPECT_EQ(CodeThrownBy(CheckSoundKitResult, 999), 12005);
    EXPECT_EQ(CodeThrownBy(CheckSoundKitResult, 1000), 100006);
    EXPECT_EQ(CodeThrownBy(CheckSoundKitResult, 1001), 12006);
}

// Codes a space does not name become a plain std::exception; the checkers'
// standard errors carry no message.
TEST(ResultCodes, UnknownCodesAndEmptyMessages)
{
    const std::pair<std::function<void(int32_t)>, int32_t> unknown[] = {
        {CheckFrameKitResult, 100020}, {CheckFrameKitResult, 5000},
        {CheckDiskKitResult, 5008}, {CheckDiskKitResult, 12000},
        {CheckRasterKitResult, 998}, {CheckRasterKitResult, 1001},
        {CheckImageDecodeKitResult, 741}, {CheckSoundKitResult, 1003}};
    for (const auto& [check, code] : unknown) {
        try {
            check(code);
            ADD_FAILURE() << code << " did not throw";
        } catch (const std::exception& e) {
            EXPECT_EQ(typeid(e), typeid(std::exception)) << code;
        }
    }
    try {
        CheckSoundKitResult(993);
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "");
    }
    try {
        CheckDiskKitResult(5005);
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "");
    }
}
