#include "common/kept_file.h"

#include "common/error.h"

#include <QFile>
#include <QFileInfo>

namespace korv {

std::optional<QByteArray> readKeptFile(const QString& path, const KeptFile& kept) {
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    if (!info.isFile())
        throw Error(Error::FileAccess,
                    QStringLiteral("%1 %2 — не обычный файл (%3)%4. Замените его обычным текстовым файлом.")
                        .arg(kept.what, path,
                             info.isDir() ? QStringLiteral("папка") : QStringLiteral("канал или устройство"),
                             kept.ignored));
    const auto tooLarge = [&](qint64 bytes) {
        return Error(Error::BadEntry, QStringLiteral("%1 %2 слишком велик (%3 КБ): %4")
                                          .arg(kept.what, path)
                                          .arg((bytes + 1023) / 1024)
                                          .arg(kept.sizeMeasure));
    };
    if (info.size() > kept.most)
        throw tooLarge(info.size());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(Error::FileAccess, kept.what + QStringLiteral(" не читается: ") + path);
    // The size may have grown since it was asked: what is read stops one byte past the most.
    QByteArray bytes = file.read(kept.most + 1);
    if (bytes.size() > kept.most)
        throw tooLarge(bytes.size());
    return bytes;
}

} // namespace korv
