// The control's text conversions, in the process's own code page.
#include "win32/text.h"

#include <gtest/gtest.h>

namespace zelmar::win32 {
namespace {

TEST(MessageTextTest, KoreanInUtf8ShowsOnAnyCodePage) {
    EXPECT_EQ(MessageText("\xEB\xA1\x9C\xEA\xB3\xA0 \xEC\x97\x85\xEB\xA1\x9C\xEB\x93\x9C"),
              L"\uB85C\uACE0 \uC5C5\uB85C\uB4DC");
    EXPECT_EQ(MessageText(""), L"");
}

TEST(MessageTextTest, NamesInTheSystemCodePageStayReadable) {
    // A name from the host, converted as the methods convert it.
    const std::wstring name = L"C:\\logos\\top-\u00e9.bmp";
    BSTR host = SysAllocString(name.c_str());
    const std::string narrow = SystemCodePageText(host);
    SysFreeString(host);
    std::wstring back(narrow.size(), L'\0');
    back.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), back.data(),
                            static_cast<int>(back.size()))));
    EXPECT_EQ(MessageText(narrow), back);
}

TEST(SystemCodePageTextTest, MissingLettersBecomeQuestionMarks) {
    EXPECT_EQ(SystemCodePageText(nullptr), "");
    BSTR korean = SysAllocString(L"\uB85C\uACE0.bmp");
    const std::string narrow = SystemCodePageText(korean);
    SysFreeString(korean);
    if (GetACP() == 949 || GetACP() == CP_UTF8) GTEST_SKIP() << "the code page has them";
    EXPECT_EQ(narrow, "??.bmp");
}

}  // namespace
}  // namespace zelmar::win32
