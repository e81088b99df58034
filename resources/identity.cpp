#include "resources/identity.h"

#include "resources/version.h"

#include <QCoreApplication>

namespace Identity {

void apply()
{
    QCoreApplication::setOrganizationName(QStringLiteral(GLIMMER_COMPANY_NAME));
    QCoreApplication::setApplicationName(QStringLiteral(GLIMMER_TITLE));
    QCoreApplication::setApplicationVersion(QStringLiteral(GLIMMER_VERSION_TEXT));
}

} // namespace Identity
