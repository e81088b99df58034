#include "find/highlightsearch.h"

#include "forms/apperror.h"
#include "view/documentview.h"

#include <optional>

namespace HighlightSearch {

std::int32_t forEachOccurrence(
    QStringView text, QStringView word, const std::function<void(std::int32_t start)>& found)
{
    if (word.isEmpty())
        return 0;
    const std::int32_t length = checkedInt32(text.size());
    std::int32_t count = 0;
    // The one-based position at which the next pass starts. A pass may start on any character,
    // the last one included, so a word at the very end is found too.
    std::int32_t position = 1;
    while (position <= length) {
        const qsizetype index = text.indexOf(word, position - 1, Qt::CaseSensitive);
        if (index < 0)
            break;
        // The one-based offset of the match in the part searched by this pass.
        const std::int32_t offset = checkedInt32(index) - (position - 1) + 1;
        // The next pass starts one character after the match's first character, so
        // overlapping occurrences are found as well.
        position = checkedAdd(position, offset);
        found(position - 2);
        count = checkedAdd(count, 1);
    }
    return count;
}

std::int32_t markAll(DocumentView& view, const QString& word)
{
    // A run changes formatting only, never the text, so one reading serves the whole run.
    const QString text = view.Text();
    const std::int32_t wordLength = checkedInt32(word.size());
    // The batch starts with the first match: a run that finds nothing leaves the view alone.
    std::optional<DocumentView::Batch> batch;
    // Occurrences that overlap or touch are marked as one stretch: the same characters made red
    // and bold, at the cost of one change instead of one for each (a line of one letter holds an
    // occurrence at every character).
    std::int32_t from = 0;
    std::int32_t to = 0;
    std::int32_t last = 0;
    auto mark = [&] {
        view.setSelStart(from);
        view.setSelLength(to - from);
        view.setSelColor(MarkColor);
        view.setSelBold(true);
    };
    const std::int32_t count = forEachOccurrence(text, word, [&](std::int32_t start) {
        if (!batch) {
            batch.emplace(&view);
        } else if (start > to) {
            mark();
        } else {
            to = qMax(to, start + wordLength);
            last = start;
            return;
        }
        from = last = start;
        to = start + wordLength;
    });
    if (batch) {
        mark();
        // The last occurrence is the one left selected.
        view.setSelStart(last);
        view.setSelLength(wordLength);
    }
    return count;
}

} // namespace HighlightSearch
