// Workbook: its sheets, the standard font, the modified flag, saving (always through a temporary file
// renamed over the target) and closing.

#include "bookfiles/atomic_file.h"
#include "bookfiles/file_system.h"
#include "spreadsheet/uno/handles.h"
#include "spreadsheet/uno/spreadsheet_host.h"

#include <QFileInfo>

#include <com/sun/star/awt/Rectangle.hpp>
#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XDispatchHelper.hpp>
#include <com/sun/star/frame/XDispatchProvider.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>

using namespace com::sun::star;

namespace korv::logbook {

using namespace detail;

namespace detail {

Sheet makeSheet(const std::shared_ptr<BookRef>& b, const Reference<sheet::XSpreadsheet>& sh) {
    auto r = std::make_shared<SheetRef>();
    r->book = b;
    r->sheet = sh;
    r->name = toQ(Reference<container::XNamed>(sh, UNO_QUERY_THROW)->getName());
    return unoSheet(r);
}

std::shared_ptr<BookRef> makeBook(const std::shared_ptr<Session>& s, const Reference<sheet::XSpreadsheetDocument>& doc,
                                  const QString& path) {
    auto b = std::make_shared<BookRef>();
    b->s = s;
    b->doc = doc;
    b->path = path;
    b->name = bookNameOf(Reference<frame::XModel>(doc, UNO_QUERY_THROW));
    return b;
}

bool isShown(const Reference<frame::XModel>& model) {
    Reference<frame::XController> c = model->getCurrentController();
    if (!c.is() || !c->getFrame().is())
        return false;
    Reference<awt::XWindow2> w(c->getFrame()->getContainerWindow(), UNO_QUERY);
    if (!w.is() || !w->isVisible())
        return false;
    // A window realised far off screen for a view operation (a new logbook's frozen panes) is no one's to
    // look at: what a program killed meanwhile left there is a leftover like a hidden workbook.
    const awt::Rectangle r = w->getPosSize();
    return r.X + r.Width > 0 || r.Y + r.Height > 0;
}

QString bookNameOf(const Reference<frame::XModel>& model) {
    const QString path = localPathOfUrl(toQ(model->getURL()));
    if (!path.isEmpty())
        return QFileInfo(path).completeBaseName();
    Reference<frame::XTitle> t(model, UNO_QUERY);
    return t.is() ? toQ(t->getTitle()) : QString();
}

} // namespace detail

namespace {

Reference<sheet::XSpreadsheets> sheetsOf(BookRef& b) {
    Reference<sheet::XSpreadsheets> s = b.doc->getSheets();
    if (!s.is())
        throw lang::DisposedException("document closed", nullptr);
    return s;
}

} // namespace

bool UnoWorkbook::isOpen() const {
    if (d->closed || d->s->lost || !d->s->attached)
        return false;
    return d->alive();
}

QString UnoWorkbook::name() const { return d->name; }
QString UnoWorkbook::path() const { return d->path; }

QStringList UnoWorkbook::sheetNames() const {
    return onBook(d, QStringLiteral("чтение списка листов"), [&] {
        QStringList names;
        for (const OUString& n : sheetsOf(*d)->getElementNames())
            names << toQ(n);
        return names;
    });
}

Sheet UnoWorkbook::sheet(const QString& name) const {
    return onBook(d, QStringLiteral("лист «") + name + QStringLiteral("»"), [&] {
        Reference<sheet::XSpreadsheets> s = sheetsOf(*d);
        if (!s->hasByName(toOU(name)))
            throw hostError(QStringLiteral("В книге ") + d->label() + QStringLiteral(" нет листа «") + name +
                            QStringLiteral("»"));
        return makeSheet(d, Reference<sheet::XSpreadsheet>(s->getByName(toOU(name)), UNO_QUERY_THROW));
    });
}

Sheet UnoWorkbook::sheetAt(int index) const {
    return onBook(d, QStringLiteral("лист номер ") + QString::number(index + 1), [&] {
        Reference<container::XIndexAccess> s(sheetsOf(*d), UNO_QUERY_THROW);
        if (index < 0 || index >= s->getCount())
            throw hostError(QStringLiteral("В книге ") + d->label() + QStringLiteral(" нет листа номер ") +
                            QString::number(index + 1));
        return makeSheet(d, Reference<sheet::XSpreadsheet>(s->getByIndex(index), UNO_QUERY_THROW));
    });
}

Sheet UnoWorkbook::addSheet(const QString& name, int position) {
    return onBook(d, QStringLiteral("добавление листа «") + name + QStringLiteral("»"), [&] {
        Reference<sheet::XSpreadsheets> s = sheetsOf(*d);
        if (s->hasByName(toOU(name)))
            throw hostError(QStringLiteral("В книге ") + d->label() + QStringLiteral(" уже есть лист «") + name +
                            QStringLiteral("»"));
        s->insertNewByName(toOU(name), sal_Int16(position));
        return makeSheet(d, Reference<sheet::XSpreadsheet>(s->getByName(toOU(name)), UNO_QUERY_THROW));
    });
}

void UnoWorkbook::renameSheet(const QString& oldName, const QString& newName) {
    Sheet sh = sheet(oldName);
    onBook(d, QStringLiteral("переименование листа «") + oldName + QStringLiteral("»"), [&] {
        Reference<container::XNamed> n(refOf(sh)->sheet, UNO_QUERY_THROW);
        n->setName(toOU(newName));
        // An invalid name is ignored without a word; only reading it back tells.
        if (toQ(n->getName()) != newName)
            throw hostError(QStringLiteral("LibreOffice Calc не принял имя листа «") + newName + QStringLiteral("»"));
    });
}

void UnoWorkbook::moveSheet(const QString& name, int position) {
    onBook(d, QStringLiteral("перемещение листа «") + name + QStringLiteral("»"),
           [&] { sheetsOf(*d)->moveByName(toOU(name), sal_Int16(position)); });
}

void UnoWorkbook::setStandardFont(const QString& name, double points) {
    onBook(d, QStringLiteral("шрифт стиля «Базовый»"), [&] {
        Reference<container::XNameAccess> styles(Reference<style::XStyleFamiliesSupplier>(d->doc, UNO_QUERY_THROW)
                                                     ->getStyleFamilies()
                                                     ->getByName("CellStyles"),
                                                 UNO_QUERY_THROW);
        Reference<uno::XInterface> def(styles->getByName("Default"), UNO_QUERY_THROW);
        PropertyMap p;
        p["CharFontName"] <<= toOU(name);
        p["CharHeight"] <<= float(points);
        setProperties(def, p);
    });
}

bool UnoWorkbook::isModified() const {
    return onBook(d, QStringLiteral("чтение признака изменений"),
                  [&] { return bool(Reference<util::XModifiable>(d->doc, UNO_QUERY_THROW)->isModified()); });
}

void UnoWorkbook::setModified(bool modified) {
    onBook(d, QStringLiteral("признак изменений"),
           [&] { Reference<util::XModifiable>(d->doc, UNO_QUERY_THROW)->setModified(modified); });
}

namespace {

void storeAtomically(const std::shared_ptr<BookRef>& d, const QString& path, const QString& filter,
                     ReplacePolicy policy, const Any& filterData = {}) {
    AtomicReplacement file(path, policy);
    try {
        onBook(d, QStringLiteral("сохранение в ") + file.targetPath(), [&] {
            Sequence<beans::PropertyValue> args =
                seqOf({prop("FilterName", Any(toOU(filter))), prop("Overwrite", Any(true))});
            if (filterData.hasValue()) {
                args.realloc(3);
                args.getArray()[2] = prop("FilterData", filterData);
            }
            Reference<frame::XStorable>(d->doc, UNO_QUERY_THROW)->storeToURL(toOU(fileUrl(file.temporaryPath())), args);
        });
    } catch (const Error& e) {
        // The office says only that it could not write; the disk tells why.
        const QString dir = QFileInfo(file.targetPath()).absolutePath();
        if (e.number() == Error::Spreadsheet || e.number() == Error::BadWorkbook) {
            const QString why = files::exhaustion(dir, QFileInfo(file.temporaryPath()).size() + 1024 * 1024);
            if (!why.isEmpty())
                throw Error(Error::FileAccess, why, e.description() + u' ' + e.detail());
        }
        throw;
    }
    file.commit();
}

} // namespace

void UnoWorkbook::saveAs(const QString& path, ReplacePolicy policy) {
    storeAtomically(d, path, QStringLiteral("MS Excel 97"), policy);
    d->path = QFileInfo(path).absoluteFilePath();
    d->name = QFileInfo(path).completeBaseName();
    // What is on disk now equals the workbook: a shown window must not ask about saving it again. The
    // file is replaced already; a failure here does not undo that.
    try {
        onBook(d, QStringLiteral("признак изменений"),
               [&] { Reference<util::XModifiable>(d->doc, UNO_QUERY_THROW)->setModified(false); });
    } catch (const Error&) {
    }
}

void UnoWorkbook::exportTo(const QString& path, const QString& filterName) {
    storeAtomically(d, path, filterName, ReplacePolicy::Replace);
}

void UnoWorkbook::exportPdf(const QString& path, const Range& area) {
    // Only the range, laid out by its sheet's page style.
    const Any filterData(seqOf({prop("Selection", Any(Reference<uno::XInterface>(refOf(area)->range, UNO_QUERY)))}));
    storeAtomically(d, path, QStringLiteral("calc_pdf_Export"), ReplacePolicy::Replace, filterData);
}

void UnoWorkbook::close(CloseMode mode) {
    onBook(d, QStringLiteral("закрытие книги"), [&] {
        Reference<util::XModifiable> mod(d->doc, UNO_QUERY_THROW);
        if (mode == CloseMode::AsOfficeDecides && mod->isModified() && isShown(d->model())) {
            // A shown workbook changed by hand: Calc asks the pilot itself, as its own close does.
            Reference<frame::XDispatchHelper> helper(
                Reference<lang::XMultiServiceFactory>(d->s->remote->getServiceManager(), UNO_QUERY_THROW)
                    ->createInstance("com.sun.star.frame.DispatchHelper"),
                UNO_QUERY_THROW);
            Reference<frame::XDispatchProvider> frame(d->controller()->getFrame(), UNO_QUERY_THROW);
            // Returns once the pilot has answered; "Cancel" keeps the workbook open.
            helper->executeDispatch(frame, ".uno:CloseDoc", "_self", 0, {});
            return;
        }
        Reference<util::XCloseable>(d->doc, UNO_QUERY_THROW)->close(true);
        d->closed = true;
    });
    if (d->closed || !d->alive()) {
        d->doc.clear();
        d->parserA1.clear();
        d->parserR1C1.clear();
    }
}

} // namespace korv::logbook
