#include "core/model/json_reader.h"

#include <cstdint>

namespace qm {

namespace {

class Parser {
public:
    Parser(std::string_view text, const JsonLimits& limits) : text_(text), limits_(limits) {}

    std::optional<JsonValue> Document(std::string& error) {
        JsonValue value;
        if (text_.size() > limits_.maxBytes) return Fail(error, "the document is larger than the reader takes");
        // A UTF-8 byte order mark is allowed before the document.
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
        SkipSpace();
        if (!Value(value, 0)) return Fail(error, problem_);
        SkipSpace();
        if (pos_ != text_.size()) return Fail(error, Where("text after the document"));
        return value;
    }

private:
    std::optional<JsonValue> Fail(std::string& error, const std::string& message) {
        error = message;
        return std::nullopt;
    }

    std::string Where(const std::string& what) const { return what + " at byte " + std::to_string(pos_); }

    bool Problem(const std::string& what) {
        if (problem_.empty()) problem_ = Where(what);
        return false;
    }

    void SkipSpace() {
        while (pos_ < text_.size() &&
               (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r'))
            ++pos_;
    }

    bool Literal(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) return Problem("an unknown word");
        pos_ += word.size();
        return true;
    }

    bool Value(JsonValue& out, size_t depth) {
        if (++values_ > limits_.maxValues) return Problem("more values than the reader takes");
        if (pos_ >= text_.size()) return Problem("the document ends early");
        switch (text_[pos_]) {
            case '{':
                return Object(out, depth + 1);
            case '[':
                return Array(out, depth + 1);
            case '"':
                out.kind = JsonValue::Kind::String;
                return String(out.text);
            case 't':
                out.kind = JsonValue::Kind::Bool, out.boolean = true;
                return Literal("true");
            case 'f':
                out.kind = JsonValue::Kind::Bool, out.boolean = false;
                return Literal("false");
            case 'n':
                out.kind = JsonValue::Kind::Null;
                return Literal("null");
            default:
                out.kind = JsonValue::Kind::Number;
                return Number(out.text);
        }
    }

    bool Object(JsonValue& out, size_t depth) {
        if (depth > limits_.maxDepth) return Problem("nesting deeper than the reader takes");
        out.kind = JsonValue::Kind::Object;
        ++pos_;
        SkipSpace();
        if (pos_ < text_.size() && text_[pos_] == '}') return ++pos_, true;
        for (;;) {
            SkipSpace();
            if (pos_ >= text_.size() || text_[pos_] != '"') return Problem("a member without a quoted name");
            std::string name;
            if (!String(name)) return false;
            SkipSpace();
            if (pos_ >= text_.size() || text_[pos_] != ':') return Problem("a member without ':'");
            ++pos_;
            SkipSpace();
            JsonValue value;
            if (!Value(value, depth)) return false;
            out.members.emplace_back(std::move(name), std::move(value));
            SkipSpace();
            if (pos_ < text_.size() && text_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < text_.size() && text_[pos_] == '}') return ++pos_, true;
            return Problem("an object without ',' or '}'");
        }
    }

    bool Array(JsonValue& out, size_t depth) {
        if (depth > limits_.maxDepth) return Problem("nesting deeper than the reader takes");
        out.kind = JsonValue::Kind::Array;
        ++pos_;
        SkipSpace();
        if (pos_ < text_.size() && text_[pos_] == ']') return ++pos_, true;
        for (;;) {
            SkipSpace();
            JsonValue value;
            if (!Value(value, depth)) return false;
            out.items.push_back(std::move(value));
            SkipSpace();
            if (pos_ < text_.size() && text_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < text_.size() && text_[pos_] == ']') return ++pos_, true;
            return Problem("an array without ',' or ']'");
        }
    }

    bool Number(std::string& out) {
        const size_t start = pos_;
        const auto digits = [&] {
            const size_t from = pos_;
            while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
            return pos_ - from;
        };
        if (pos_ < text_.size() && text_[pos_] == '-') ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '0') ++pos_;
        else if (digits() == 0) return Problem("not a value");
        if (pos_ < text_.size() && text_[pos_] == '.') {
            ++pos_;
            if (digits() == 0) return Problem("a number without digits after '.'");
        }
        if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
            if (digits() == 0) return Problem("a number without digits in its exponent");
        }
        if (pos_ - start > 64) return Problem("a number longer than the reader takes");
        out.assign(text_.substr(start, pos_ - start));
        return true;
    }

    bool Hex4(std::uint32_t& unit) {
        if (pos_ + 4 > text_.size()) return Problem("a \\u escape cut short");
        unit = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[pos_++];
            unit <<= 4;
            if (c >= '0' && c <= '9') unit |= static_cast<std::uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f') unit |= static_cast<std::uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') unit |= static_cast<std::uint32_t>(c - 'A' + 10);
            else return Problem("a \\u escape with a character that is no hex digit");
        }
        return true;
    }

    static void AppendUtf8(std::string& out, std::uint32_t code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    bool Escape(std::string& out) {
        if (pos_ >= text_.size()) return Problem("a string cut short");
        const char c = text_[pos_++];
        switch (c) {
            case '"':
            case '\\':
            case '/':
                out += c;
                return true;
            case 'b':
                out += '\b';
                return true;
            case 'f':
                out += '\f';
                return true;
            case 'n':
                out += '\n';
                return true;
            case 'r':
                out += '\r';
                return true;
            case 't':
                out += '\t';
                return true;
            case 'u':
                break;
            default:
                return Problem("an unknown escape");
        }
        std::uint32_t unit = 0;
        if (!Hex4(unit)) return false;
        // A surrogate pair stands for one character; a lone surrogate for U+FFFD,
        // or for itself in WTF-8 when the caller keeps them.
        if (unit >= 0xD800 && unit <= 0xDBFF && text_.substr(pos_, 2) == "\\u") {
            const size_t back = pos_;
            pos_ += 2;
            std::uint32_t low = 0;
            if (!Hex4(low)) return false;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                return true;
            }
            pos_ = back;
        }
        AppendUtf8(out, unit >= 0xD800 && unit <= 0xDFFF && !limits_.keepLoneSurrogates ? 0xFFFD : unit);
        return true;
    }

    bool String(std::string& out) {
        ++pos_;  // the opening quote
        for (;;) {
            if (pos_ >= text_.size()) return Problem("a string without its closing quote");
            if (out.size() > limits_.maxStringBytes) return Problem("a string longer than the reader takes");
            const char c = text_[pos_];
            if (c == '"') return ++pos_, true;
            if (static_cast<unsigned char>(c) < 0x20) return Problem("a control character inside a string");
            if (c == '\\') {
                ++pos_;
                if (!Escape(out)) return false;
                continue;
            }
            out += c;
            ++pos_;
        }
    }

    std::string_view text_;
    const JsonLimits& limits_;
    size_t pos_ = 0;
    size_t values_ = 0;
    std::string problem_;
};

}  // namespace

const JsonValue* JsonValue::Find(std::string_view name) const {
    const JsonValue* found = nullptr;
    for (const auto& [key, value] : members)
        if (key == name) found = &value;
    return found;
}

std::optional<JsonValue> ParseJson(std::string_view text, std::string& error, const JsonLimits& limits) {
    return Parser(text, limits).Document(error);
}

}  // namespace qm
