// Escaping for HTML pages and percent-encoding for their links.
#include <base/Html.h>

#include <gtest/gtest.h>

TEST(HtmlTest, EscapesMarkupAndEncodesLinks) {
  EXPECT_EQ(base::HtmlEscape("a<b>&\"c'"), "a&lt;b&gt;&amp;&quot;c'");
  EXPECT_EQ(base::HtmlEscape("Ärger"), "Ärger");
  EXPECT_EQ(base::PercentEncodePath("sub/A b&c#?%.mp3"), "sub/A%20b%26c%23%3F%25.mp3");
  EXPECT_EQ(base::PercentEncodePath("Ä"), "%C3%84");
  // A name that is not UTF-8 keeps its bytes.
  EXPECT_EQ(base::PercentEncodePath("\xff.mp3"), "%FF.mp3");
}
