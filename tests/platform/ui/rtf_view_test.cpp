// What a Qt rich-text view makes of the reader's HTML: the text, the blocks and the formats.
#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "platform/rtf_reader.h"

namespace qv {
namespace {

QTextCharFormat FormatAt(QTextDocument& doc, int position) {
    QTextCursor cursor(&doc);
    cursor.setPosition(position);
    cursor.setPosition(position + 1, QTextCursor::KeepAnchor);
    return cursor.charFormat();
}

TEST(RtfView, ParagraphsLinesAndTabsSurvive) {
    QTextDocument doc;
    doc.setHtml(QString::fromStdString(RtfToHtml("{\\rtf1 a  b\\tab c\\line d\\par\\par e}")));
    // \line is a line separator inside the block; the empty paragraph is a block of its own.
    EXPECT_EQ(doc.toRawText(), QString("a  b\tc") + QChar(QChar::LineSeparator) + "d" +
                                   QChar(QChar::ParagraphSeparator) + QChar(QChar::ParagraphSeparator) + "e");
    EXPECT_EQ(doc.blockCount(), 3);
}

TEST(RtfView, CharacterFormats) {
    QTextDocument doc;
    doc.setHtml(QString::fromStdString(
        RtfToHtml("{\\rtf1{\\colortbl ;\\red0\\green0\\blue128;}p{\\b b}{\\i i}{\\ul u}{\\fs30 s}{\\cf1 c}"
                  "{\\'e8}}")));
    ASSERT_EQ(doc.toPlainText(), QString::fromUtf8("pbiusc\xC3\xA8"));
    EXPECT_FALSE(FormatAt(doc, 0).font().bold());
    EXPECT_TRUE(FormatAt(doc, 1).font().bold());
    EXPECT_TRUE(FormatAt(doc, 2).font().italic());
    EXPECT_TRUE(FormatAt(doc, 3).font().underline());
    EXPECT_EQ(FormatAt(doc, 4).font().pointSizeF(), 15.0);
    EXPECT_EQ(FormatAt(doc, 5).foreground().color(), QColor(0, 0, 128));
}

TEST(RtfView, AlignmentAndEscapedMarkup) {
    QTextDocument doc;
    doc.setHtml(QString::fromStdString(RtfToHtml("{\\qc <b>&amp;\\par}")));
    EXPECT_EQ(doc.toPlainText(), "<b>&amp;");
    EXPECT_EQ(doc.firstBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
}

}  // namespace
}  // namespace qv
