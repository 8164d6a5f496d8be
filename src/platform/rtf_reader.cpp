#include "platform/rtf_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "platform/cp1252.h"
#include "platform/numbers.h"

namespace qv {

namespace {

// Deeper groups are read but skipped whole: no page needs them and the state stack stays small.
constexpr size_t kMaxDepth = 256;
// A control word is at most 32 letters; longer runs of letters are read but name nothing.
constexpr size_t kMaxWordLength = 32;
constexpr int64_t kMaxParam = 0x7FFFFFFF;
// Tables come from the file: keep what a hostile one can make us hold small.
constexpr size_t kMaxColors = 1024;
constexpr size_t kMaxFonts = 1024;
constexpr size_t kMaxFontName = 64;
constexpr size_t kMaxHyperlinks = 1024;
constexpr size_t kMaxFieldInstruction = 512;

enum class Dest : uint8_t { Text, Skip, FontTable, ColorTable, FieldInstruction };
enum class Align : uint8_t { Left, Center, Right, Justify };

struct CharStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 0;  // 0: the view's own size
    int color = 0;       // index into the colour table; 0 and missing entries are the view's colour
    int font = -1;       // index into the font table; -1: the document's default font
    int link = -1;       // index into the link targets; -1: not a link
    bool operator==(const CharStyle&) const = default;
};

struct GroupState {
    CharStyle chr;
    Align align = Align::Left;
    int uc = 1;
    Dest dest = Dest::Text;
    // Skipped only because the group began with \*: a destination we know may still be read.
    bool starred = false;
};

struct Color {
    bool set = false;
    int red = 0, green = 0, blue = 0;
};

enum class Word : uint8_t {
    Unknown,
    Par,
    Pard,
    Plain,
    Line,
    Tab,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    FontSize,
    ForeColor,
    Font,
    DefaultFont,
    FontTable,
    ColorTable,
    Red,
    Green,
    Blue,
    Unicode,
    UnicodeSkip,
    Bin,
    SkipDest,
    AlignLeft,
    AlignCenter,
    AlignRight,
    AlignJustify,
    Symbol,
    FieldInstruction,
};

struct WordEntry {
    std::string_view name;
    Word word;
    char32_t symbol;
};

// Sorted by name for the binary search.
constexpr std::array kWords = {
    WordEntry{"author", Word::SkipDest, 0},
    WordEntry{"b", Word::Bold, 0},
    WordEntry{"bin", Word::Bin, 0},
    WordEntry{"blue", Word::Blue, 0},
    WordEntry{"bullet", Word::Symbol, 0x2022},
    WordEntry{"buptim", Word::SkipDest, 0},
    WordEntry{"cell", Word::Tab, 0},
    WordEntry{"cf", Word::ForeColor, 0},
    WordEntry{"colortbl", Word::ColorTable, 0},
    WordEntry{"comment", Word::SkipDest, 0},
    WordEntry{"creatim", Word::SkipDest, 0},
    WordEntry{"deff", Word::DefaultFont, 0},
    WordEntry{"doccomm", Word::SkipDest, 0},
    WordEntry{"emdash", Word::Symbol, 0x2014},
    WordEntry{"emspace", Word::Symbol, 0x2003},
    WordEntry{"endash", Word::Symbol, 0x2013},
    WordEntry{"enspace", Word::Symbol, 0x2002},
    WordEntry{"f", Word::Font, 0},
    WordEntry{"filetbl", Word::SkipDest, 0},
    WordEntry{"fldinst", Word::FieldInstruction, 0},
    WordEntry{"fonttbl", Word::FontTable, 0},
    WordEntry{"footer", Word::SkipDest, 0},
    WordEntry{"footerf", Word::SkipDest, 0},
    WordEntry{"footerl", Word::SkipDest, 0},
    WordEntry{"footerr", Word::SkipDest, 0},
    WordEntry{"footnote", Word::SkipDest, 0},
    WordEntry{"fs", Word::FontSize, 0},
    WordEntry{"green", Word::Green, 0},
    WordEntry{"header", Word::SkipDest, 0},
    WordEntry{"headerf", Word::SkipDest, 0},
    WordEntry{"headerl", Word::SkipDest, 0},
    WordEntry{"headerr", Word::SkipDest, 0},
    WordEntry{"i", Word::Italic, 0},
    WordEntry{"info", Word::SkipDest, 0},
    WordEntry{"keywords", Word::SkipDest, 0},
    WordEntry{"ldblquote", Word::Symbol, 0x201C},
    WordEntry{"line", Word::Line, 0},
    WordEntry{"listoverridetable", Word::SkipDest, 0},
    WordEntry{"listtable", Word::SkipDest, 0},
    WordEntry{"lquote", Word::Symbol, 0x2018},
    WordEntry{"nonshppict", Word::SkipDest, 0},
    WordEntry{"object", Word::SkipDest, 0},
    WordEntry{"operator", Word::SkipDest, 0},
    WordEntry{"page", Word::Par, 0},
    WordEntry{"par", Word::Par, 0},
    WordEntry{"pard", Word::Pard, 0},
    WordEntry{"pict", Word::SkipDest, 0},
    WordEntry{"plain", Word::Plain, 0},
    WordEntry{"pn", Word::SkipDest, 0},
    WordEntry{"printim", Word::SkipDest, 0},
    WordEntry{"qc", Word::AlignCenter, 0},
    WordEntry{"qj", Word::AlignJustify, 0},
    WordEntry{"ql", Word::AlignLeft, 0},
    WordEntry{"qr", Word::AlignRight, 0},
    WordEntry{"rdblquote", Word::Symbol, 0x201D},
    WordEntry{"red", Word::Red, 0},
    WordEntry{"revtbl", Word::SkipDest, 0},
    WordEntry{"revtim", Word::SkipDest, 0},
    WordEntry{"row", Word::Par, 0},
    WordEntry{"rquote", Word::Symbol, 0x2019},
    WordEntry{"rsidtbl", Word::SkipDest, 0},
    WordEntry{"sect", Word::Par, 0},
    WordEntry{"shp", Word::SkipDest, 0},
    WordEntry{"stylesheet", Word::SkipDest, 0},
    WordEntry{"subject", Word::SkipDest, 0},
    WordEntry{"tab", Word::Tab, 0},
    WordEntry{"title", Word::SkipDest, 0},
    WordEntry{"u", Word::Unicode, 0},
    WordEntry{"uc", Word::UnicodeSkip, 0},
    WordEntry{"ul", Word::Underline, 0},
    WordEntry{"ulnone", Word::UnderlineNone, 0},
};

const WordEntry* FindWord(std::string_view name) {
    auto it = std::lower_bound(kWords.begin(), kWords.end(), name,
                               [](const WordEntry& e, std::string_view n) { return e.name < n; });
    if (it == kWords.end() || it->name != name) return nullptr;
    return &*it;
}

bool IsLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
int HexValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xC0 | (cp >> 6)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(char(0xE0 | (cp >> 12)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (cp >> 18)));
        out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
}

void AppendHex2(std::string& out, int v) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out.push_back(kDigits[(v >> 4) & 15]);
    out.push_back(kDigits[v & 15]);
}

// Collects paragraphs and styled runs into HTML.
class HtmlWriter {
  public:
    std::vector<Color> colors;
    std::map<int, std::string> fonts;  // UTF-8 names, already safe inside a quoted CSS value
    int defaultFont = -1;
    std::vector<std::string> links;  // targets, already safe inside a quoted attribute

    void Char(char32_t cp, const CharStyle& style) {
        SwitchRun(style);
        switch (cp) {
            case '&':
                para_ += "&amp;";
                break;
            case '<':
                para_ += "&lt;";
                break;
            case '>':
                para_ += "&gt;";
                break;
            default:
                AppendUtf8(para_, cp);
        }
        hasContent_ = true;
    }

    void LineBreak(const CharStyle& style) {
        SwitchRun(style);
        para_ += "<br/>";
        hasContent_ = true;
    }

    void EndParagraph(Align align) {
        CloseRun();
        out_ += "<p style=\"";
        if (!hasContent_) {
            // Qt's own mark for an empty line: the <br/> only gives the block its height.
            out_ += "-qt-paragraph-type:empty;margin-top:0;margin-bottom:0\"><br/></p>";
        } else {
            out_ += "margin-top:0;margin-bottom:0;white-space:pre-wrap";
            switch (align) {
                case Align::Left:
                    break;
                case Align::Center:
                    out_ += ";text-align:center";
                    break;
                case Align::Right:
                    out_ += ";text-align:right";
                    break;
                case Align::Justify:
                    out_ += ";text-align:justify";
                    break;
            }
            auto f = fonts.find(defaultFont);
            if (f != fonts.end()) out_ += ";font-family:'" + f->second + "'";
            out_ += "\">" + para_ + "</p>";
        }
        para_.clear();
        hasContent_ = false;
    }

    // The font or colour tables changed: the open run's CSS may no longer be right.
    void TablesChanged() { styleKnown_ = false; }

    std::string Finish(Align align) {
        if (hasContent_) EndParagraph(align);
        return std::move(out_);
    }

  private:
    std::string out_;
    std::string para_;
    bool hasContent_ = false;
    bool runOpen_ = false;
    std::string runCss_;
    // The style of the open run, so that its CSS is built once per run and not per character.
    CharStyle lastStyle_;
    bool styleKnown_ = false;

    int runLink_ = -1;

    void CloseRun() {
        if (runOpen_) para_ += "</span>";
        if (runLink_ >= 0) para_ += "</a>";
        runOpen_ = false;
        runLink_ = -1;
        runCss_.clear();
        styleKnown_ = false;
    }

    void SwitchRun(const CharStyle& style) {
        if (styleKnown_ && style == lastStyle_) return;
        std::string css = Css(style);
        lastStyle_ = style;
        styleKnown_ = true;
        const int link = style.link >= 0 && size_t(style.link) < links.size() ? style.link : -1;
        if (css == runCss_ && link == runLink_) return;
        CloseRun();
        styleKnown_ = true;
        if (link >= 0) para_ += "<a href=\"" + links[link] + "\">";
        runLink_ = link;
        if (css.empty()) return;
        para_ += "<span style=\"" + css + "\">";
        runOpen_ = true;
        runCss_ = std::move(css);
    }

    std::string Css(const CharStyle& s) const {
        std::string css;
        auto add = [&css](std::string_view item) {
            if (!css.empty()) css.push_back(';');
            css += item;
        };
        if (s.font >= 0 && s.font != defaultFont) {
            auto f = fonts.find(s.font);
            if (f != fonts.end()) add("font-family:'" + f->second + "'");
        }
        if (s.halfPoints > 0) {
            std::string size = "font-size:" + std::to_string(s.halfPoints / 2);
            if (s.halfPoints % 2) size += ".5";
            add(size + "pt");
        }
        if (s.bold) add("font-weight:700");
        if (s.italic) add("font-style:italic");
        if (s.underline) add("text-decoration:underline");
        if (s.color >= 0 && size_t(s.color) < colors.size() && colors[s.color].set) {
            const Color& c = colors[s.color];
            std::string rgb = "color:#";
            AppendHex2(rgb, c.red);
            AppendHex2(rgb, c.green);
            AppendHex2(rgb, c.blue);
            add(rgb);
        }
        return css;
    }
};

class RtfParser {
  public:
    explicit RtfParser(std::string_view in) : in_(in) { stack_.emplace_back(); }

    std::string Run() {
        while (pos_ < in_.size()) {
            unsigned char c = in_[pos_];
            if (c == '{') {
                ++pos_;
                OpenGroup();
            } else if (c == '}') {
                ++pos_;
                CloseGroup();
            } else if (c == '\\') {
                ++pos_;
                ControlSequence();
            } else {
                ++pos_;
                if (c == '\r' || c == '\n') continue;
                if (c == '\t' || c >= 0x20) TextByte(c);
            }
        }
        FlushSurrogate();
        return out_.Finish(State().align);
    }

  private:
    std::string_view in_;
    size_t pos_ = 0;
    std::vector<GroupState> stack_;
    size_t overflow_ = 0;  // groups opened beyond kMaxDepth, skipped
    int ucSkip_ = 0;       // fallback characters of the last \u still to skip
    char32_t pendingHigh_ = 0;
    HtmlWriter out_;
    // Font-table entry being read.
    int fontEntry_ = -1;
    std::string fontName_;
    Color color_;
    // Instruction of the field being read (HYPERLINK "target").
    std::string fieldInstruction_;

    GroupState& State() { return stack_.back(); }
    bool Skipping() { return overflow_ > 0 || State().dest == Dest::Skip; }

    void OpenGroup() {
        ucSkip_ = 0;
        if (overflow_ > 0 || stack_.size() >= kMaxDepth) {
            ++overflow_;
            return;
        }
        stack_.push_back(stack_.back());
        stack_.back().starred = false;
    }

    void CloseGroup() {
        ucSkip_ = 0;
        if (overflow_ > 0) {
            --overflow_;
            return;
        }
        if (State().dest == Dest::FontTable) CommitFont();
        if (State().dest == Dest::FieldInstruction && stack_.size() > 1 &&
            stack_[stack_.size() - 2].dest != Dest::FieldInstruction)
            CommitField(stack_[stack_.size() - 2]);
        // A stray closing brace at the outermost level is ignored.
        if (stack_.size() > 1) stack_.pop_back();
    }

    // Text byte in the document's code page.
    void TextByte(unsigned char b) {
        if (ucSkip_ > 0) {
            --ucSkip_;
            return;
        }
        if (Skipping()) return;
        switch (State().dest) {
            case Dest::Text:
                TextChar(Cp1252ToUnicode(b));
                break;
            case Dest::FontTable:
                if (b == ';') {
                    CommitFont();
                } else if (fontName_.size() < kMaxFontName) {
                    fontName_.push_back(char(b));
                }
                break;
            case Dest::ColorTable:
                if (b == ';') CommitColor();
                break;
            case Dest::FieldInstruction:
                if (fieldInstruction_.size() < kMaxFieldInstruction) fieldInstruction_.push_back(char(b));
                break;
            case Dest::Skip:
                break;
        }
    }

    // A HYPERLINK field makes the rest of its group (the shown result) a link. Only targets
    // made of plain file-name characters are kept, so nothing from the file reaches the HTML
    // unescaped.
    void CommitField(GroupState& field) {
        std::string_view text = fieldInstruction_;
        const size_t word = text.find("HYPERLINK");
        const size_t open = text.find('"', word == std::string_view::npos ? text.size() : word);
        const size_t close = open == std::string_view::npos ? open : text.find('"', open + 1);
        fieldInstruction_.clear();
        if (close == std::string_view::npos || out_.links.size() >= kMaxHyperlinks) return;
        const std::string_view target = text.substr(open + 1, close - open - 1);
        const bool plain = !target.empty() && std::all_of(target.begin(), target.end(), [](unsigned char c) {
            return IsLetter(c) || IsDigit(c) || c == '.' || c == '-' || c == '_' || c == '/' || c == '#';
        });
        if (!plain) return;
        out_.links.emplace_back(target);
        field.chr.link = int(out_.links.size() - 1);
    }

    void TextChar(char32_t cp) {
        if (Skipping() || State().dest != Dest::Text) return;
        FlushSurrogate();
        if (cp == U'\t' || cp >= 0x20) out_.Char(cp, State().chr);
    }

    void FlushSurrogate() {
        if (pendingHigh_ == 0) return;
        pendingHigh_ = 0;
        if (!Skipping() && State().dest == Dest::Text) out_.Char(0xFFFD, State().chr);
    }

    void UnicodeChar(int64_t n) {
        if (n < 0) n += 0x10000;
        char32_t cp = (n < 0 || n > 0x10FFFF) ? 0xFFFD : char32_t(n);
        if (cp >= 0xD800 && cp < 0xDC00) {
            FlushSurrogate();
            pendingHigh_ = cp;
            return;
        }
        if (cp >= 0xDC00 && cp < 0xE000) {
            if (pendingHigh_ == 0) {
                TextChar(0xFFFD);
                return;
            }
            cp = 0x10000 + ((pendingHigh_ - 0xD800) << 10) + (cp - 0xDC00);
            pendingHigh_ = 0;
        }
        TextChar(cp);
    }

    void CommitFont() {
        // Keep only what can sit inside a quoted CSS value.
        std::string name;
        for (char ch : fontName_) {
            unsigned char b = ch;
            if (b < 0x20 || ch == '\'' || ch == '"' || ch == '\\' || ch == '<' || ch == '>' || ch == '&' ||
                ch == ';')
                continue;
            name.push_back(ch);
        }
        while (!name.empty() && name.back() == ' ') name.pop_back();
        while (!name.empty() && name.front() == ' ') name.erase(name.begin());
        if (fontEntry_ >= 0 && !name.empty() && out_.fonts.size() < kMaxFonts)
            out_.fonts[fontEntry_] = Cp1252ToUtf8(name);
        out_.TablesChanged();
        fontEntry_ = -1;
        fontName_.clear();
    }

    void CommitColor() {
        if (out_.colors.size() < kMaxColors) out_.colors.push_back(color_);
        out_.TablesChanged();
        color_ = Color{};
    }

    void ControlSequence() {
        if (pos_ >= in_.size()) return;
        unsigned char c = in_[pos_];
        if (IsLetter(c)) {
            ControlWord();
            return;
        }
        ++pos_;
        if (c == '\'') {
            int hi = pos_ < in_.size() ? HexValue(in_[pos_]) : -1;
            int lo = pos_ + 1 < in_.size() ? HexValue(in_[pos_ + 1]) : -1;
            if (hi < 0 || lo < 0) return;  // malformed: the symbol means nothing
            pos_ += 2;
            TextByte((unsigned char)(hi * 16 + lo));
            return;
        }
        if (ucSkip_ > 0) {
            --ucSkip_;
            return;
        }
        switch (c) {
            case '\\':
            case '{':
            case '}':
                TextByte(c);
                break;
            case '~':
                TextChar(0x00A0);
                break;
            case '_':
                TextChar(0x2011);
                break;
            case '*':
                if (overflow_ == 0 && State().dest != Dest::Skip) {
                    State().dest = Dest::Skip;
                    State().starred = true;
                }
                break;
            case '\r':
            case '\n':
                ApplyWord(Word::Par, false, 0, 0);
                break;
            default:
                break;  // \- and the others show nothing
        }
    }

    void ControlWord() {
        size_t start = pos_;
        while (pos_ < in_.size() && IsLetter(in_[pos_])) ++pos_;
        std::string_view name = in_.substr(start, pos_ - start);
        bool hasParam = false;
        int64_t param = 0;
        bool negative = false;
        if (pos_ + 1 < in_.size() && in_[pos_] == '-' && IsDigit(in_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        while (pos_ < in_.size() && IsDigit(in_[pos_])) {
            hasParam = true;
            param = std::min<int64_t>(param * 10 + (in_[pos_] - '0'), kMaxParam);
            ++pos_;
        }
        if (negative) param = -param;
        if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;

        const WordEntry* entry = name.size() <= kMaxWordLength ? FindWord(name) : nullptr;
        Word word = entry ? entry->word : Word::Unknown;
        // Binary data is skipped wherever it stands, so its bytes are never read as RTF.
        if (word == Word::Bin) {
            if (param > 0) pos_ += std::min<size_t>(size_t(param), in_.size() - pos_);
            if (ucSkip_ > 0) --ucSkip_;
            return;
        }
        if (ucSkip_ > 0) {
            --ucSkip_;
            return;
        }
        ApplyWord(word, hasParam, param, entry ? entry->symbol : 0);
    }

    void ApplyWord(Word word, bool hasParam, int64_t param, char32_t symbol) {
        if (word == Word::FieldInstruction && overflow_ == 0 &&
            (State().dest == Dest::Text || State().starred)) {
            State().dest = Dest::FieldInstruction;
            fieldInstruction_.clear();
            return;
        }
        if (Skipping()) return;
        GroupState& st = State();
        if (word == Word::SkipDest) {
            st.dest = Dest::Skip;
            return;
        }
        if (st.dest == Dest::FontTable) {
            if (word == Word::Font) {
                CommitFont();
                fontEntry_ = int(std::clamp<int64_t>(param, -1, kMaxParam));
            }
            return;
        }
        if (st.dest == Dest::ColorTable) {
            int v = int(std::clamp<int64_t>(param, 0, 255));
            int* channel = word == Word::Red     ? &color_.red
                           : word == Word::Green ? &color_.green
                           : word == Word::Blue  ? &color_.blue
                                                 : nullptr;
            if (channel) {
                *channel = v;
                color_.set = true;
            }
            return;
        }
        bool on = !hasParam || param != 0;
        switch (word) {
            case Word::Par:
                FlushSurrogate();
                out_.EndParagraph(st.align);
                break;
            case Word::Pard:
                st.align = Align::Left;
                break;
            case Word::Plain:
                st.chr = CharStyle{};
                break;
            case Word::Line:
                FlushSurrogate();
                out_.LineBreak(st.chr);
                break;
            case Word::Tab:
                TextChar(U'\t');
                break;
            case Word::Bold:
                st.chr.bold = on;
                break;
            case Word::Italic:
                st.chr.italic = on;
                break;
            case Word::Underline:
                st.chr.underline = on;
                break;
            case Word::UnderlineNone:
                st.chr.underline = false;
                break;
            case Word::FontSize:
                // \fs alone or out of range: back to the view's size
                st.chr.halfPoints = (hasParam && param > 0 && param <= 3276) ? int(param) : 0;
                break;
            case Word::ForeColor:
                st.chr.color = int(std::clamp<int64_t>(param, 0, kMaxParam));
                break;
            case Word::Font:
                st.chr.font = hasParam ? int(std::clamp<int64_t>(param, -1, kMaxParam)) : -1;
                break;
            case Word::DefaultFont:
                out_.defaultFont = hasParam ? int(std::clamp<int64_t>(param, -1, kMaxParam)) : -1;
                out_.TablesChanged();
                break;
            case Word::FontTable:
                st.dest = Dest::FontTable;
                fontEntry_ = -1;
                fontName_.clear();
                break;
            case Word::ColorTable:
                st.dest = Dest::ColorTable;
                out_.colors.clear();
                out_.TablesChanged();
                color_ = Color{};
                break;
            case Word::Unicode:
                UnicodeChar(param);
                ucSkip_ = st.uc;
                break;
            case Word::UnicodeSkip:
                st.uc = int(std::clamp<int64_t>(param, 0, kMaxParam));
                break;
            case Word::AlignLeft:
                st.align = Align::Left;
                break;
            case Word::AlignCenter:
                st.align = Align::Center;
                break;
            case Word::AlignRight:
                st.align = Align::Right;
                break;
            case Word::AlignJustify:
                st.align = Align::Justify;
                break;
            case Word::Symbol:
                TextChar(symbol);
                break;
            default:
                break;
        }
    }
};

}  // namespace

std::string RtfToHtml(std::string_view rtf) {
    return RtfParser(rtf).Run();
}

}  // namespace qv
