#pragma once

#include "forms/seam.h"
#include "view/layoutbudget.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// Where the program that draws metafiles (glimmer-metafile) is; tests put a misbehaving one in
// its place.
class MetafileProgram {
public:
    virtual ~MetafileProgram() = default;
    // Its path, or nothing when it is not installed.
    virtual QString path() = 0;
};

// The one installed with the program: next to the executable, or in libexec/glimmer beside the
// folder of the executable (/usr/bin and /usr/libexec/glimmer; in the build tree, libexec/glimmer
// holds it for the program at the top and for the tests and tools one folder down).
class InstalledMetafileProgram : public MetafileProgram {
public:
    QString path() override;
};

using MetafileProgramSeam = Seam<MetafileProgram, InstalledMetafileProgram>;

// Windows metafiles (WMF, EMF) drawn for one document. The libraries that read them were not
// written for hostile files, so each is drawn by glimmer-metafile in a process of its own,
// limited in memory, processor time and waiting time, whose output is taken only when it is
// exactly the pixels asked for: a crafted metafile can crash or hang that process only. The
// document's metafiles share a budget of processes started and of time waited for them.
class MetafileDecoder {
public:
    // The metafile drawn at the size given (each side at most LayoutBudget::MaxDecodedSide); a
    // null image when it could not be drawn or the document's budget is spent.
    QImage draw(const QByteArray& data, QSize size);

private:
    int m_drawsLeft = LayoutBudget::MaxMetafileDraws;
    qint64 m_msLeft = LayoutBudget::MetafileDocumentMs;
};
