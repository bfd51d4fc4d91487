// The HTML report, read back with a real HTML parser: what a browser shows
// must be exactly the table's texts, whatever characters they hold.
#include "ListFixture.h"
#include "ShellRecorder.h"

#include <base/Html.h>
#include <base/Path.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cctype>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

using test::ListFixture;

namespace {

// The page as the parser saw it.
struct Page {
  QString charset;
  QStringList tags;
  QJsonArray rows;  // each row: cells of {text, href}
};

class ReportTest : public ListFixture {
 protected:
  Page Parse() {
    int status = -1;
    const std::string json =
        test::RunCommand("python3 " QUILLORY_SOURCE_DIR "/tests/app/report_view.py '" +
                             m_dir.File("report.html").Str() + "'",
                         &status);
    EXPECT_EQ(status, 0) << json;
    const QJsonObject page = QJsonDocument::fromJson(QByteArray::fromStdString(json)).object();
    QStringList tags;
    for (const auto& tag : page["tags"].toArray()) tags << tag.toString();
    return {page["charset"].toString(), tags, page["rows"].toArray()};
  }
  static std::string Text(const QJsonValue& row, int cell) {
    return row.toArray()[cell].toObject()["text"].toString().toStdString();
  }
  static std::string Href(const QJsonValue& row, int cell) {
    return row.toArray()[cell].toObject()["href"].toString().toStdString();
  }

  test::ShellRecorder m_shell;
};

const QStringList kPageTags{"a", "body", "div", "font", "head", "html", "meta", "p", "span", "table", "td", "title", "tr"};

}  // namespace

TEST_F(ReportTest, OneRowPerTableRowWithTheFourteenColumnsInListOrder) {
  List({{.key = "Zulu", .artist = "Zed", .album = "Last", .title = "Z", .sizeKb = 4100},
        {.key = "alpha", .artist = "Ann", .album = "First", .title = "A", .sizeKb = 12}});
  m_dlg.m_pTable->UpdateRow(1, 11, CString("3:25"));
  m_dlg.m_pTable->UpdateRow(0, 25, CString("600\u00d7600 JPEG, 48 KB"));
  m_dlg.WriteReport();

  const Page page = Parse();
  EXPECT_EQ(page.charset, "utf-8");
  ASSERT_EQ(page.rows.size(), 3);
  const QJsonArray header = page.rows[0].toArray();
  ASSERT_EQ(header.size(), 14);
  const char* titles[] = {"File name", "Size kb", "Artist", "Album", "Title", "Bit rate", "Sample rate",
                          "Duration", "Channel", "Original artist", "Tag", "Cover", "Disc", "Lyrics"};
  for (int k = 0; k < 14; ++k) EXPECT_EQ(Text(page.rows[0], k), titles[k]);

  const std::vector<std::vector<std::string>> expected = {
      {"Zulu.mp3", "4100", "Zed", "Last", "Z", "128 kbit/s", "44100 Hz", "1:00", "Joint stereo", "Orig Zed", "ID3v2.3",
       "600\u00d7600 JPEG, 48 KB", "-", "-"},
      {"alpha.mp3", "12", "Ann", "First", "A", "128 kbit/s", "44100 Hz", "3:25", "Joint stereo", "Orig Ann", "ID3v2.3",
       "-", "-", "-"}};
  for (int row = 0; row < 2; ++row) {
    ASSERT_EQ(page.rows[row + 1].toArray().size(), 14);
    for (int k = 0; k < 14; ++k) EXPECT_EQ(Text(page.rows[row + 1], k), expected[row][k]) << row << " " << k;
  }
  EXPECT_EQ(Href(page.rows[1], 0), "Zulu.mp3");
  EXPECT_EQ(m_shell.Opened(), std::vector<std::string>{m_dir.File("report.html").Str()});
}

TEST_F(ReportTest, TextsRoundTripAndLinksReachTheRealFiles) {
  const std::string hostile = "<script>alert(\"x\")</script> & Co";
  List({{.key = "Tom & Jerry <live> \"best\"", .artist = hostile, .album = "a&amp;b", .ext = ".MP3"},
        {.key = "Ärger – ü 100%", .artist = "日本語の歌手", .title = "50% #1 ?"}});
  m_dlg.WriteReport();

  const Page page = Parse();
  EXPECT_EQ(page.tags, kPageTags);  // no tag came from a cell
  ASSERT_EQ(page.rows.size(), 3);
  EXPECT_EQ(Text(page.rows[1], 0), "Tom & Jerry <live> \"best\".mp3");
  EXPECT_EQ(Text(page.rows[1], 2), hostile);
  EXPECT_EQ(Text(page.rows[1], 3), "a&amp;b");
  EXPECT_EQ(Text(page.rows[2], 0), "Ärger – ü 100%.mp3");
  EXPECT_EQ(Text(page.rows[2], 2), "日本語の歌手");
  EXPECT_EQ(Text(page.rows[2], 4), "50% #1 ?");

  // The link text keeps the lower-case suffix; the target is the name on disk.
  const char* names[] = {"Tom & Jerry <live> \"best\".MP3", "Ärger – ü 100%.mp3"};
  for (int row = 0; row < 2; ++row) {
    const std::string href = Href(page.rows[row + 1], 0);
    EXPECT_TRUE(std::all_of(href.begin(), href.end(), [](char c) {
      return std::isalnum(static_cast<unsigned char>(c)) || std::strchr("-._~%", c);
    })) << href;
    const QByteArray decoded = QByteArray::fromPercentEncoding(QByteArray::fromStdString(href));
    EXPECT_EQ(decoded.toStdString(), names[row]);
    EXPECT_TRUE(base::FileExists(base::JoinPath(m_dir.Path(), CString(decoded.toStdString()))));
  }
}

TEST_F(ReportTest, AnEmptyTableGivesHeadAndFootAndReplacesAnOldPage) {
  test::WriteFile(m_dir.File("report.html"), "old page with a very long body that must not survive");
  m_dlg.WriteReport();
  const Page page = Parse();
  ASSERT_EQ(page.rows.size(), 1);  // the header row only
  const std::string bytes = test::ReadFile(m_dir.File("report.html"));
  EXPECT_EQ(bytes.find("old page"), std::string::npos);
  EXPECT_NE(bytes.find("Generated by :Quillory:"), std::string::npos);
  EXPECT_EQ(bytes.substr(bytes.size() - 8), "</html>\n");
  EXPECT_EQ(m_shell.Opened().size(), 1u);
}

TEST_F(ReportTest, AReportThatCannotBeCreatedGivesTheErrorAndOpensNothing) {
  List({{.key = "Song"}});
  // A folder that is a file, and a page name taken by a folder: no user,
  // root included, can create the page there (a read-only folder stops
  // everyone but root the same way).
  m_dlg.m_pSession->SetFolder(m_dir.File("Song.mp3"), false);
  m_dlg.WriteReport();
  EXPECT_EQ(StatusText(), "Couldn't create the report");
  m_dlg.m_pSession->SetFolder(m_dir.Path(), false);
  ASSERT_EQ(::mkdir(m_dir.File("report.html"), 0755), 0);
  m_dlg.WriteReport();
  EXPECT_EQ(StatusText(), "Couldn't create the report");
  // No folder loaded: nothing lands in the working folder either.
  m_dlg.m_pSession->SetFolder("", false);
  m_dlg.WriteReport();
  EXPECT_EQ(StatusText(), "Couldn't create the report");
  EXPECT_FALSE(base::FileExists("report.html"));
  EXPECT_TRUE(m_shell.Opened().empty());
}

TEST_F(ReportTest, AFailedWriteIsReportedAndTheHalfPageNotOpened) {
  List({{.key = "Song"}});
  // A full disk: the page opens for writing, but no byte of it is kept.
  ASSERT_EQ(::symlink("/dev/full", m_dir.File("report.html")), 0);
  m_dlg.WriteReport();
  EXPECT_EQ(StatusText(), "Couldn't write the report");
  EXPECT_TRUE(m_shell.Opened().empty());
}
