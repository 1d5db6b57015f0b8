#include "app/russian.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QTreeView>

namespace korv::app {

namespace {

// Qt's Russian translation keeps a few texts in English; these are the program's own Russian for them.
class RussianRemainder : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* source, const char* /*disambiguation*/,
                      int /*n*/) const override {
        const QLatin1String c(context);
        const QLatin1String s(source);
        if (c == QLatin1String("QPlatformTheme") && s == QLatin1String("OK"))
            return QStringLiteral("ОК");
        if (s == QLatin1String("Folder") &&
            (c == QLatin1String("QAbstractFileIconProvider") || c == QLatin1String("QFileSystemModel")))
            return QStringLiteral("Папка");
        return {};
    }

    bool isEmpty() const override { return false; }
};

// The folder list of the save dialog: the sizes in КБ and МБ, the kinds of files in Russian.
class RussianFileColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole && index.column() >= 1 && index.column() <= 3) {
            if (const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel())) {
                const QModelIndex source = mapToSource(index);
                const bool dir = files->isDir(source);
                if (index.column() == 1)
                    return dir ? QString() : russianFileSize(files->size(source));
                if (index.column() == 3) // the machine's locale would name the month in English
                    return files->lastModified(source).toString(QStringLiteral("dd.MM.yyyy hh:mm"));
                if (dir)
                    return QStringLiteral("Папка");
                const QString suffix = files->fileInfo(source).suffix();
                return suffix.isEmpty() ? QStringLiteral("Файл") : QStringLiteral("Файл ") + suffix.toUpper();
            }
        }
        return QIdentityProxyModel::data(index, role);
    }
};

} // namespace

bool installRussianTranslations() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    auto* app = QCoreApplication::instance();
    // Owned by the application object, so they live as long as the texts they translate. The last one
    // installed is asked first: the program's remainder, then Qt's own.
    auto* translator = new QTranslator(app);
    const bool loaded =
        translator->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (loaded)
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
    QCoreApplication::installTranslator(new RussianRemainder(app));
    return loaded;
}

QString russianFileSize(qint64 bytes) {
    const QLocale ru(QLocale::Russian, QLocale::Russia);
    if (bytes < 1024)
        return QString::number(bytes) + QStringLiteral(" Б");
    static const char* const units[] = {"КБ", "МБ", "ГБ", "ТБ"};
    double value = double(bytes) / 1024;
    int unit = 0;
    while (value >= 1024 && unit < 3) {
        value /= 1024;
        ++unit;
    }
    return ru.toString(value, 'f', value < 10 ? 1 : 0) + u' ' + QString::fromUtf8(units[unit]);
}

std::unique_ptr<QFileDialog> makeSaveDialog(QWidget* parent, const QString& title, const QString& path,
                                            const QString& filter) {
    // Qt's own dialog, not the desktop's: the same Russian on every desktop, and one the tests can see.
    auto dialog = std::make_unique<QFileDialog>(parent, title, path, filter);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setProxyModel(new RussianFileColumns(dialog.get()));
    dialog->selectFile(path);
    if (auto* view = dialog->findChild<QTreeView*>(QStringLiteral("treeView"))) {
        const QFontMetrics fm(view->font());
        view->header()->resizeSection(2, fm.horizontalAdvance(QStringLiteral("Файл PNG")) + fm.height());
        view->header()->resizeSection(3, fm.horizontalAdvance(QStringLiteral("00.00.0000 00:00")) + fm.height());
    }
    return dialog;
}

QString askSaveFileName(QWidget* parent, const QString& title, const QString& path, const QString& filter) {
    const auto dialog = makeSaveDialog(parent, title, path, filter);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return {};
    return dialog->selectedFiles().constFirst();
}

QString askOpenFileName(QWidget* parent, const QString& title, const QString& path, const QString& filter) {
    const auto dialog = makeSaveDialog(parent, title, path, filter);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return {};
    return dialog->selectedFiles().constFirst();
}

} // namespace korv::app
