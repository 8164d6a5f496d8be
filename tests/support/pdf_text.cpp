#include "support/pdf_text.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace qv::test {

namespace {

// Qt compresses every stream with zlib; qUncompress wants the expected size in front.
QByteArray Inflate(const QByteArray& data) {
    QByteArray framed(4, '\0');
    const quint32 hint = 1u << 20;
    framed[0] = char(hint >> 24);
    framed[1] = char(hint >> 16);
    framed[2] = char(hint >> 8);
    framed[3] = char(hint);
    return qUncompress(framed + data);
}

std::vector<QByteArray> ContentStreams(const std::string& pdf) {
    const QByteArray all = QByteArray::fromStdString(pdf);
    std::vector<QByteArray> streams;
    for (qsizetype at = all.indexOf("stream\n"); at >= 0; at = all.indexOf("stream\n", at)) {
        const qsizetype start = at + 7;
        const qsizetype end = all.indexOf("endstream", start);
        if (end < 0) break;
        const QByteArray data = Inflate(all.mid(start, end - start));
        if (data.contains(" Tf") && data.contains(" Td") && data.contains(" cm")) streams.push_back(data);
        at = end;
    }
    return streams;
}

}  // namespace

std::vector<PdfTextRun> PdfTextRuns(const std::string& pdf) {
    std::vector<PdfTextRun> runs;
    int page = 0;
    static const QRegularExpression cm(R"(([-\d.]+) 0 0 ([-\d.]+) ([-\d.]+) ([-\d.]+) cm)");
    static const QRegularExpression td(R"(([-\d.]+) ([-\d.]+) Td)");
    for (const QByteArray& stream : ContentStreams(pdf)) {
        const QString content = QString::fromLatin1(stream);
        const QRegularExpressionMatch scale = cm.match(content);
        const double sx = scale.hasMatch() ? scale.captured(1).toDouble() : 1;
        const double dx = scale.hasMatch() ? scale.captured(3).toDouble() : 0;
        for (qsizetype at = content.indexOf("BT"); at >= 0; at = content.indexOf("BT", at)) {
            const qsizetype end = content.indexOf("ET", at);
            if (end < 0) break;
            PdfTextRun run;
            run.page = page;
            double x = 0, y = 0, advance = 0;
            auto it = td.globalMatch(content.mid(at, end - at));
            while (it.hasNext()) {
                const QRegularExpressionMatch m = it.next();
                const double mx = m.captured(1).toDouble(), my = m.captured(2).toDouble();
                if (run.glyphs > 0) advance = mx;
                x += mx;
                y += my;
                if (run.glyphs == 0) run.left = x;
                ++run.glyphs;
            }
            run.line = -y;
            run.right = x + advance;
            run.left = run.left * sx + dx;
            run.right = run.right * sx + dx;
            if (run.glyphs > 0) runs.push_back(run);
            at = end;
        }
        ++page;
    }
    return runs;
}

double PdfPageWidth(const std::string& pdf) {
    static const QRegularExpression box(R"(/MediaBox \[\s*([-\d.]+) ([-\d.]+) ([-\d.]+) ([-\d.]+)\s*\])");
    const QRegularExpressionMatch m = box.match(QString::fromLatin1(pdf.data(), qsizetype(pdf.size())));
    return m.hasMatch() ? m.captured(3).toDouble() - m.captured(1).toDouble() : 0;
}

}  // namespace qv::test
