#pragma once

#include <QByteArrayView>
#include <functional>

namespace Content {
class Sink;
}

// Reads an RTF document: its text with the properties of its characters, paragraphs and table
// rows, its font and colour tables and its pictures, handed on in document order. It never
// refuses and never fails on damaged input: it hands on what it could read.
namespace Rtf {

// True when the bytes start as an RTF document does ("{\rtf").
bool looksLikeRtf(QByteArrayView bytes);

// Called after every PaceBytes of the document are read, for a program that keeps its window
// painted while a long one is.
using Pace = std::function<void()>;
constexpr qsizetype PaceBytes = 64 * 1024;

void read(QByteArrayView bytes, Content::Sink* sink, const Pace& pace = {});

} // namespace Rtf
