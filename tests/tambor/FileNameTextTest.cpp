#include "tambor/FileNameText.h"

#include <gtest/gtest.h>

#include <random>

using namespace NSTambor;

// Any bytes make a name whose text converts back to the same bytes; UTF-8
// decodes as such, and messages show the other bytes as "\xHH".
TEST(FileNameText, EveryNameConvertsBackToItsBytes)
{
    std::mt19937 random(15);
    for (int i = 0; i < 2000; ++i) {
        std::string bytes(size_t(random() % 12), '\0');
        for (char& c : bytes)
            c = char(1 + random() % 255);
        EXPECT_EQ(FileNameFromText(FileNameText(bytes)).native(), bytes);
    }
    EXPECT_EQ(FileNameText(std::string("d\xc3\xa9j\xc3\xa0 \xf0\x9f\xa5\x81")), u"d\u00e9j\u00e0 \U0001F941");
    EXPECT_EQ(DisplayBytes("lat\xe9in1.wav"), "lat\\xE9in1.wav");
    EXPECT_EQ(DisplayBytes("\xc3\xa9\xed\xa0\x80\xc0\xaf"), "\xc3\xa9\\xED\\xA0\\x80\\xC0\\xAF");
    EXPECT_EQ(DisplayText(std::u16string{u'a', char16_t(0xD800), u'b'}), "a\xef\xbf\xbd" "b");
}
