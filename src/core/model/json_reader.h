// A small JSON reader for the baselines --compare reads and the change
// journal's records. A baseline is a file anyone may have written, so the
// reader is bounded: the document's size, the nesting depth, the length of a string and the number of values
// have limits, and anything past them, or anything that is not JSON, is
// refused with a message. Nothing in the input is trusted to be sensible.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm {

struct JsonLimits {
    size_t maxBytes = 64u * 1024u * 1024u;
    size_t maxDepth = 32;
    size_t maxStringBytes = 1024u * 1024u;
    size_t maxValues = 2u * 1024u * 1024u;
    // A lone surrogate escape (\ud800) kept as the platform spells an
    // unpaired UTF-16 unit (WTF-8: platform/text_utf.h) instead of U+FFFD:
    // for a text that must name exactly what the machine holds.
    bool keepLoneSurrogates = false;
};

struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    std::string text;  // a string's UTF-8 text, or a number as written
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members;  // in document order

    // The member of that name (the last one when a name repeats); null when none.
    const JsonValue* Find(std::string_view name) const;
};

// The document, or none with `error` saying what is wrong and where.
std::optional<JsonValue> ParseJson(std::string_view text, std::string& error, const JsonLimits& limits = {});

}  // namespace qm
