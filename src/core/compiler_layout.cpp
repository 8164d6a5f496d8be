#include "core/compiler_layout.h"

#include <string>
#include <vector>

#include "core/archive_definition.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/numbers.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr int kTopY = 40;
constexpr int kLineGap = 5;

bool Has(std::string_view s, std::string_view what) {
    return s.find(what) != std::string_view::npos;
}

bool IsCommand(const std::string& line, char letter) {
    return line.size() > 1 && line[0] == '*' && line[1] == letter;
}

// A coordinate item: the first occurrence of the letter in the line and up to five digits right
// after it. `given` is false when the letter is absent or gives no number above 0.
struct Coordinate {
    bool present = false;
    int value = 0;
    bool Given() const { return value >= 1; }
};

Coordinate ParseCoordinate(std::string_view line, char letter) {
    Coordinate c;
    const size_t at = line.find(letter);
    if (at == std::string_view::npos) return c;
    c.present = true;
    for (size_t i = at + 1; i < line.size() && i <= at + 5 && line[i] >= '0' && line[i] <= '9'; ++i) {
        c.value = c.value * 10 + (line[i] - '0');
    }
    return c;
}

std::string ItemLine(int style, int x, int y, int fourth, std::string_view text) {
    std::string s =
        RightAligned(style, 4) + RightAligned(x, 4) + RightAligned(y, 4) + RightAligned(fourth, 4);
    s.append(20, ' ');
    s.append(text);
    return s;
}

std::string StyleLine(const TextStyle& s) {
    std::string out;
    for (int32_t v : {s.font, s.size, s.weight, s.italic, s.underline, s.combined, s.red, s.green, s.blue}) {
        out += RightAligned(v, 4);
    }
    return out;
}

// The source after its title line, which the layout passes never read.
std::vector<std::string> SourceBody() {
    TextReader in;
    in.OpenOrThrow(DataFilePath(data_file::kDesignerSource));
    std::vector<std::string> lines;
    if (!in.Eof()) in.SkipLine();
    while (!in.Eof()) lines.push_back(in.ReadLine(kSourceWidth));
    return lines;
}

// The running styles of the two kinds of command line, as both passes follow them.
struct StyleTrack {
    TextStyle current = ResetTextStyle();
    TextStyle text = ResetTextStyle();
    TextStyle field = ResetTextStyle();
    int alignment = 1;

    void Apply(const std::string& line) {
        if (IsCommand(line, 'C')) {
            int unused = 0;
            field = ParseStyleLetters(field, line, LetterKind::Field, unused);
            current = field;
        } else if (IsCommand(line, 'T')) {
            text = ParseStyleLetters(text, line, LetterKind::Text, alignment);
            current = text;
        }
    }
};

class PlacementPass {
  public:
    PlacementPass(CompileRun& run, const std::vector<TextStyle>& styles, TextBuilder& layout)
        : run_(run), styles_(styles), layout_(layout) {}

    void Run(const std::vector<std::string>& lines) {
        for (size_t i = 0; i < lines.size(); ++i) {
            lineNumber_ = int(i) + 2;  // physical line number: line 1 is the title
            const std::string& line = lines[i];
            if (IsCommand(line, 'C')) {
                FieldLine(line);
            } else if (IsCommand(line, 'P')) {
                layout_.Line("#Pag");
                placement_.Line("#Pag");
                y_ = kTopY;
            } else if (IsCommand(line, 'T')) {
                TextCommand(line);
            } else if (kind_ == Kind::Text && (line.empty() || (line[0] != '#' && line[0] != '*'))) {
                ShownText(line);
            }
        }
        placement_.Save(DataFilePath(data_file::kDesignerLayoutPlacement));
    }

  private:
    enum class Kind { None, Text, Field };

    int StyleNumber() const {
        for (size_t k = 0; k < styles_.size(); ++k) {
            if (styles_[k] == track_.current) return int(k) + 1;
        }
        return 1;  // a style past the ninth is drawn in style 1
    }

    Coordinate Coord(const std::string& line, char letter) {
        const Coordinate c = ParseCoordinate(line, letter);
        if (c.present && c.value == 0) {
            if (letter == 'X') run_.Error(lineNumber_, ", coordianta X non inserita -> " + line);
            if (letter == 'Y' && !Has(line, "Y="))
                run_.Error(lineNumber_, ", coordianta Y non inserita -> " + line);
            if (letter == 'Z') run_.TextError(lineNumber_, 454, line);
        }
        return c;
    }

    void FieldLine(const std::string& line) {
        track_.Apply(line);
        kind_ = Kind::Field;
        const Coordinate x = Coord(line, 'X');
        const Coordinate y = Coord(line, 'Y');
        const Coordinate z = Coord(line, 'Z');
        if (x.Given()) fieldX_ = x.value;
        if (y.Given()) y_ = y.value;
        const int style = StyleNumber();
        const FieldTypeItem type = ParseFieldType(line);
        const int answers = AnswerCount(type);
        if (answers == 0) {
            const int right = z.Given() ? z.value : CoreState.PageWidth;
            placement_.Line(ItemLine(style, fieldX_, y_, right, lastShown_));
            return;
        }
        // The answers fill the page width in rows of `columns`, starting on the next line.
        const int columns = type.columns < 1 ? 1 : type.columns;
        const int width = CoreState.PageWidth / columns;
        for (int i = 0; i < answers; ++i) {
            const int column = i % columns;
            const int columnX = column * width;
            if (column == 0) y_ += track_.current.size + kLineGap;
            placement_.Line(ItemLine(style, columnX + 25, y_, columnX + width - 5, "-"));
            layout_.Line(ItemLine(style, columnX + 5, y_, 1, "-"));
        }
    }

    void TextCommand(const std::string& line) {
        track_.Apply(line);
        kind_ = Kind::Text;
        const Coordinate x = Coord(line, 'X');
        const Coordinate y = Coord(line, 'Y');
        if (x.Given()) textX_ = x.value;
        if (y.Given()) y_ = y.value;
        if (Has(line, "Y=")) y_ -= track_.current.size + kLineGap;
    }

    void ShownText(const std::string& line) {
        const int size = track_.current.size;
        if (y_ == kTopY) y_ = kTopY - size;
        y_ += size + kLineGap;
        layout_.Line(ItemLine(StyleNumber(), textX_, y_, track_.alignment, line));
        lastShown_ = line;
    }

    CompileRun& run_;
    const std::vector<TextStyle>& styles_;
    TextBuilder& layout_;
    TextBuilder placement_;
    StyleTrack track_;
    Kind kind_ = Kind::None;
    int lineNumber_ = 1;
    int y_ = kTopY;
    int textX_ = 5;
    int fieldX_ = 100;
    std::string lastShown_;
};

}  // namespace

TextStyle ResetTextStyle() {
    return TextStyle{};
}

TextStyle ParseStyleLetters(TextStyle s, std::string_view line, LetterKind kind, int& alignment) {
    const std::string_view letters = line.size() > 2 ? line.substr(2) : std::string_view();
    const char* fonts[] = {"elvetico", "courier", "arial", "modern", "roman"};
    for (int f = 0; f < 5; ++f) {
        if (Has(letters, fonts[f])) s.font = f + 1;
    }
    if (Has(letters, "P")) s.size = 15;
    if (Has(letters, "G")) s.size = 25;
    if (Has(letters, "M")) s.weight = 3;
    if (Has(letters, "S")) s.weight = 1;
    if (Has(letters, "I")) s.italic = 1 - s.italic;
    if (Has(letters, "_")) s.underline = 1 - s.underline;
    if (s.italic == 1 && s.underline == 1) s.combined = 1 - s.combined;
    if (Has(letters, "R") || Has(letters, "V") || Has(letters, "B") || Has(letters, "N")) {
        s.red = Has(letters, "R") ? 255 : 0;
        s.green = Has(letters, "V") ? 255 : 0;
        s.blue = Has(letters, "B") ? 255 : 0;
    }
    if (kind == LetterKind::Text) {
        if (Has(letters, "<")) alignment = 1;
        if (Has(letters, "C")) alignment = 2;
        if (Has(letters, ">")) alignment = 3;
    }
    return s;
}

void CompileCardLayout(CompileRun& run) {
    const std::vector<std::string> lines = SourceBody();

    // Style pass: every style in force on some line, in order of first use, at most nine.
    std::vector<TextStyle> styles;
    StyleTrack track;
    for (const std::string& line : lines) {
        track.Apply(line);
        bool known = false;
        for (const TextStyle& s : styles) known = known || s == track.current;
        if (!known && styles.size() < size_t(kMaxStyles)) styles.push_back(track.current);
    }
    TextBuilder layout;
    for (const TextStyle& s : styles) layout.Line(StyleLine(s));
    layout.Line("#Pag 1");

    PlacementPass(run, styles, layout).Run(lines);
    layout.Save(DataFilePath(data_file::kDesignerLayoutText));
}

}  // namespace qv
