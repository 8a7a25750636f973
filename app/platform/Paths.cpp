#include "app/platform/Paths.h"

#include <QCoreApplication>
#include <QDir>

QString dataFolder()
{
    const QString over = qEnvironmentVariable("TAVRO_DATA_DIR");
    if (!over.isEmpty())
        return QDir::cleanPath(over);
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../")
                           + QStringLiteral(TAVRO_DATA_SUBDIR));
}

QString helpFolder()
{
    return dataFolder() + QStringLiteral("/help");
}

void initTavroResources()
{
    // The pictures live in the static library; the linker drops them unless asked for.
    Q_INIT_RESOURCE(tavro);
}
