#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <functional>

class DocumentView;

// The highlight-all search: every occurrence of a word in the document is painted red and bold
// in one run, and the selection rests on the last one painted.
namespace HighlightSearch {

// Red, as a colour number.
constexpr std::uint32_t MarkColor = 255;

// Calls found(start) with the zero-based start of every occurrence of word in text, in text
// order, overlapping ones included. The comparison is exact, code unit by code unit. An empty
// word has no occurrences. Returns how many there were.
std::int32_t forEachOccurrence(
    QStringView text, QStringView word, const std::function<void(std::int32_t start)>& found);

// Marks every occurrence of word in the view red and bold, leaving the selection on the last
// one; with none, the view is not touched. Returns how many were marked.
std::int32_t markAll(DocumentView& view, const QString& word);

} // namespace HighlightSearch
