#include "spreadsheet/uno/handles.h"

#include "common/stop_request.h"

#include <chrono>
#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/AddressConvention.hpp>
#include <com/sun/star/sheet/FormulaLanguage.hpp>
#include <com/sun/star/sheet/FormulaMapGroup.hpp>
#include <com/sun/star/sheet/XFormulaOpCodeMapper.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/util/XNumberFormatTypes.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <cstdlib>
#include <thread>

using namespace com::sun::star;

namespace korv::logbook::detail {

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

Reference<uno::XComponentContext> localContext() {
    static uno::XComponentContext* ctx = [] {
        ::setenv("URE_BOOTSTRAP", "vnd.sun.star.pathname:" KORV_LO_PROGRAM_DIR "/fundamentalrc", 1);
        Reference<uno::XComponentContext> c = cppu::defaultBootstrap_InitialComponentContext();
        c->acquire();
        return c.get();
    }();
    return ctx;
}

Error expiredError(int seconds, const QString& what, const QString& detail) {
    if (const int signal = stopRequested())
        return Error(Error::Stopped,
                     QStringLiteral("Остановлено (%1): LibreOffice Calc не закончил операцию после сигнала и был "
                                    "остановлен; не выполнено: ")
                             .arg(QLatin1String(stopSignalName(signal))) +
                         what,
                     detail);
    return Error(Error::Timeout,
                 QStringLiteral("LibreOffice Calc не ответил за %1 с и был остановлен; не выполнено: ").arg(seconds) +
                     what,
                 detail);
}

// ---------------------------------------------------------------------------------------------
// Session

void Session::require(const QString& what) const {
    // Past its deadline an operation goes no further, not even with a new office.
    if (expired && *expired > 0)
        throw expiredError(expired->load(), what);
    if (lost)
        throw hostError(QStringLiteral("LibreOffice Calc завершился, связь с ним потеряна; не выполнено: ") + what);
    if (!attached)
        throw hostError(QStringLiteral("Нет связи с LibreOffice Calc; не выполнено: ") + what);
}

bool Session::responds() {
    if (lost || !attached)
        return false;
    if (process && process->started() && process->hasExited()) {
        markLost();
        return false;
    }
    try {
        desktop->getComponents();
        return true;
    } catch (const uno::Exception&) {
        markLost();
        return false;
    }
}

void Session::markLost() {
    lost = true;
    attached = false;
    desktop.clear();
    remote.clear();
}

// ---------------------------------------------------------------------------------------------
// BookRef, SheetRef

bool BookRef::alive() {
    if (closed)
        return false;
    try {
        model()->getURL();
        return true;
    } catch (const uno::Exception&) {
        closed = true;
        return false;
    }
}

sal_Int32 BookRef::formatKey(const QString& code) {
    if (auto it = formatKeys.constFind(code); it != formatKeys.constEnd())
        return *it;
    Reference<util::XNumberFormats> formats =
        Reference<util::XNumberFormatsSupplier>(doc, UNO_QUERY_THROW)->getNumberFormats();
    lang::Locale en;
    en.Language = "en";
    en.Country = "US";
    // Converted from en-US into the document's own language: the .xls then carries the plain code
    // ("0.0", "dd"), not an en-US-tagged one, whatever the office's locale.
    sal_Int32 key = 0;
    if (code.compare(QStringLiteral("General"), Qt::CaseInsensitive) == 0)
        key = Reference<util::XNumberFormatTypes>(formats, UNO_QUERY_THROW)->getStandardIndex(lang::Locale());
    else
        key = formats->addNewConverted(toOU(code), en, lang::Locale());
    formatKeys.insert(code, key);
    return key;
}

QString BookRef::formatCode(sal_Int32 key) const {
    Reference<util::XNumberFormats> formats =
        Reference<util::XNumberFormatsSupplier>(doc, UNO_QUERY_THROW)->getNumberFormats();
    // The code as an en-US writer puts it ("0.0"), whatever the document's language ("0,0").
    lang::Locale en;
    en.Language = "en";
    en.Country = "US";
    lang::Locale docLocale;
    formats->getByKey(key)->getPropertyValue("Locale") >>= docLocale;
    OUString code;
    formats->getByKey(key)->getPropertyValue("FormatString") >>= code;
    if (docLocale.Language == "en")
        return toQ(code);
    const sal_Int32 enKey = formats->addNewConverted(code, docLocale, en);
    OUString enCode;
    formats->getByKey(enKey)->getPropertyValue("FormatString") >>= enCode;
    return toQ(enCode);
}

Reference<sheet::XFormulaParser> BookRef::parser(bool r1c1) {
    Reference<sheet::XFormulaParser>& p = r1c1 ? parserR1C1 : parserA1;
    if (p.is())
        return p;
    Reference<lang::XMultiServiceFactory> f(doc, UNO_QUERY_THROW);
    p.set(f->createInstance("com.sun.star.sheet.FormulaParser"), UNO_QUERY_THROW);
    Reference<beans::XPropertySet> pp(p, UNO_QUERY_THROW);
    pp->setPropertyValue("FormulaConvention",
                         Any(r1c1 ? sheet::AddressConvention::XL_R1C1 : sheet::AddressConvention::XL_A1));
    // Excel's English grammar: "," separates arguments, as the callers write formulas.
    Reference<sheet::XFormulaOpCodeMapper> m(f->createInstance("com.sun.star.sheet.FormulaOpCodeMapper"),
                                             UNO_QUERY_THROW);
    pp->setPropertyValue("OpCodeMap", Any(m->getAvailableMappings(sheet::FormulaLanguage::XL_ENGLISH,
                                                                  sheet::FormulaMapGroup::ALL_EXCEPT_SPECIAL)));
    return p;
}

const table::CellRangeAddress& SheetRef::extent() {
    if (!wholeKnown) {
        whole = Reference<sheet::XCellRangeAddressable>(sheet, UNO_QUERY_THROW)->getRangeAddress();
        wholeKnown = true;
    }
    return whole;
}

Reference<beans::XPropertySet> SheetRef::columnProps(int column) {
    if (!columns.is())
        columns = Reference<table::XColumnRowRange>(sheet, UNO_QUERY_THROW)->getColumns();
    return Reference<beans::XPropertySet>(columns->getByIndex(column), UNO_QUERY_THROW);
}

Reference<beans::XPropertySet> SheetRef::rowProps(int row) {
    if (!rows.is())
        rows = Reference<table::XColumnRowRange>(sheet, UNO_QUERY_THROW)->getRows();
    return Reference<beans::XPropertySet>(rows->getByIndex(row), UNO_QUERY_THROW);
}

// ---------------------------------------------------------------------------------------------
// Errors and properties

void translate(Session& s, BookRef* book, const QString& what) {
    try {
        throw;
    } catch (const Error&) {
        throw;
    } catch (const uno::Exception& e) {
        const QString detail = toQ(e.Message).trimmed();
        if (s.expired && *s.expired > 0)
            throw expiredError(s.expired->load(), what, detail);
        if (!s.responds())
            throw Error(Error::Spreadsheet,
                        QStringLiteral("LibreOffice Calc завершился или был закрыт; не выполнено: ") + what, detail);
        if (book && !book->alive())
            throw Error(Error::Spreadsheet,
                        QStringLiteral("Книга ") + book->label() +
                            QStringLiteral(" закрыта в LibreOffice Calc; не выполнено: ") + what,
                        detail);
        // The office's own words (source locations, error areas) are for the log only.
        throw Error(Error::Spreadsheet, QStringLiteral("LibreOffice Calc не выполнил операцию: ") + what, detail);
    } catch (const std::exception& e) {
        throw Error(Error::Spreadsheet, QStringLiteral("Ошибка при работе с LibreOffice Calc: ") + what,
                    QString::fromLocal8Bit(e.what()));
    }
}

void setProperties(const Reference<uno::XInterface>& obj, const PropertyMap& props) {
    if (props.empty())
        return;
    Sequence<OUString> names(sal_Int32(props.size()));
    Sequence<Any> values(sal_Int32(props.size()));
    sal_Int32 i = 0;
    for (const auto& [n, v] : props) {
        names.getArray()[i] = OUString::createFromAscii(n.c_str());
        values.getArray()[i] = v;
        ++i;
    }
    Reference<beans::XMultiPropertySet>(obj, UNO_QUERY_THROW)->setPropertyValues(names, values);
}

namespace {

template <class Backend, class Handle>
const Backend& unoBackendOf(const Handle& handle) {
    const auto* b = dynamic_cast<const Backend*>(&handle.backend());
    if (!b)
        throw hostError(QStringLiteral("диапазон или лист другой книги, не открытой в LibreOffice Calc"));
    return *b;
}

} // namespace

const std::shared_ptr<RangeRef>& refOf(const Range& range) { return unoBackendOf<UnoRange>(range).d; }
const std::shared_ptr<SheetRef>& refOf(const Sheet& sheet) { return unoBackendOf<UnoSheet>(sheet).d; }
const std::shared_ptr<BookRef>& refOf(const Workbook& book) { return unoBackendOf<UnoWorkbook>(book).d; }

} // namespace korv::logbook::detail
