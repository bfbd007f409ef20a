#include "settings/profile_file.h"

#include <algorithm>
#include <vector>

namespace vexaframe {

namespace {

constexpr std::string_view kNewLine = "\r\n";

// Blanks as the profile functions see them; ^Z is an end-of-file mark of old editors.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view Trim(std::string_view text) { return TrimRight(TrimLeft(text)); }

// Shift-JIS: these bytes start a two-byte character whose second byte may look like ASCII.
bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9f) || (c >= 0xe0 && c <= 0xfc); }

size_t CharacterLength(std::string_view text, size_t at) {
    return IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
}

char FoldCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Case-insensitive for single-byte letters only, never for the second byte of a character.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t at = 0; at < a.size();) {
        const size_t length = CharacterLength(a, at);
        if (length != CharacterLength(b, at)) return false;
        if (length == 1 ? FoldCase(a[at]) != FoldCase(b[at]) : a.substr(at, 2) != b.substr(at, 2))
            return false;
        at += length;
    }
    return true;
}

// Position of the last "]" that is a character of its own, or npos.
size_t LastClosingBracket(std::string_view text) {
    size_t found = std::string_view::npos;
    for (size_t at = 0; at < text.size(); at += CharacterLength(text, at)) {
        if (text[at] == ']') found = at;
    }
    return found;
}

// One line of the file: its text, and where it and its line break stand in the file.
struct Line {
    std::string_view content;  // without the line break
    size_t begin = 0;
    size_t end = 0;  // after the line break, if any
    bool hasBreak = false;
};

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    for (size_t begin = 0; begin < text.size();) {
        const size_t contentEnd = std::min(text.find_first_of("\r\n", begin), text.size());
        size_t end = contentEnd;
        if (end < text.size()) end += text.compare(end, 2, "\r\n") == 0 ? 2 : 1;
        lines.push_back({text.substr(begin, contentEnd - begin), begin, end, end > contentEnd});
        begin = end;
    }
    return lines;
}

enum class LineKind { Blank, SectionHeader, Entry };

struct ParsedLine {
    LineKind kind = LineKind::Blank;
    std::string_view name;                  // section or key name
    std::optional<std::string_view> value;  // only for an entry with "="
};

ParsedLine Parse(std::string_view content) {
    const std::string_view text = TrimLeft(content);
    if (text.empty()) return {};
    if (text.front() == '[') {
        const size_t closing = LastClosingBracket(text);
        if (closing != std::string_view::npos)
            return {LineKind::SectionHeader, Trim(text.substr(1, closing - 1)), std::nullopt};
    }
    const std::string_view entry = TrimRight(text);
    const size_t equals = entry.find('=');
    if (equals == std::string_view::npos) return {LineKind::Entry, entry, std::nullopt};
    return {LineKind::Entry, TrimRight(entry.substr(0, equals)),
            TrimLeft(entry.substr(equals + 1))};
}

std::string Unquoted(std::string_view value) {
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    if (quoted) value = value.substr(1, value.size() - 2);
    // The value is handed over as a C string, so it ends at the first NUL.
    return std::string(value.substr(0, value.find('\0')));
}

// Where a named section and a key within it stand among the lines.
struct Position {
    std::optional<size_t> section;   // index of the header line
    std::optional<size_t> key;       // index of the key's line
    size_t lastInSection = 0;        // the section's last line that is not blank
};

Position Locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Position position;
    for (size_t index = 0; index < lines.size(); ++index) {
        const ParsedLine line = Parse(lines[index].content);
        if (line.kind == LineKind::SectionHeader) {
            if (position.section) break;  // only the first section of that name counts
            if (SameName(line.name, section)) position.section = position.lastInSection = index;
            continue;
        }
        if (!position.section || line.kind == LineKind::Blank) continue;
        position.lastInSection = index;
        if (SameName(line.name, key)) {
            position.key = index;
            break;
        }
    }
    return position;
}

std::string Entry(std::string_view key, std::string_view value) {
    return std::string(key) + "=" + std::string(value);
}

// The text up to and including `line`, which gets a line break when it has none.
std::string TextThrough(std::string_view text, const Line& line) {
    std::string head(text.substr(0, line.end));
    if (!line.hasBreak) head += kNewLine;
    return head;
}

}  // namespace

std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key) {
    const std::vector<Line> lines = SplitLines(text);
    const Position position = Locate(lines, Trim(section), Trim(key));
    if (!position.key) return std::nullopt;
    const std::optional<std::string_view> value = Parse(lines[*position.key].content).value;
    if (!value) return std::nullopt;
    return Unquoted(*value);
}

std::string WithProfileValue(std::string_view text, std::string_view section,
                             std::string_view key, std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    const std::vector<Line> lines = SplitLines(text);
    const Position position = Locate(lines, section, key);
    if (position.key) {
        const Line& line = lines[*position.key];
        const ParsedLine entry = Parse(line.content);
        if (entry.value == TrimLeft(value)) return std::string(text);  // reads the same already
        const std::string_view lineBreak = text.substr(line.begin + line.content.size(),
                                                       line.end - line.begin - line.content.size());
        return std::string(text.substr(0, line.begin)) +
               Entry(entry.name, value) + std::string(lineBreak) +
               std::string(text.substr(line.end));
    }
    if (position.section) {
        const Line& last = lines[position.lastInSection];
        return TextThrough(text, last) + Entry(key, value) + std::string(kNewLine) +
               std::string(text.substr(last.end));
    }
    std::string result = lines.empty() ? std::string() : TextThrough(text, lines.back());
    return result + "[" + std::string(section) + "]" + std::string(kNewLine) + Entry(key, value) +
           std::string(kNewLine);
}

}  // namespace vexaframe
