// Operations on the office: one at a time across programs, each with a deadline after which the office
// is ended; and the documents an operation finds: leftovers of programs that died, and the logbook
// opened afresh for a change.

#include "spreadsheet/uno/handles.h"
#include "spreadsheet/uno/spreadsheet_host.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/io/IOException.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <thread>

using namespace com::sun::star;

namespace korv::logbook {

using namespace detail;

struct SpreadsheetHost::HeldOperation::State {
    std::unique_ptr<ExclusiveLock> lock;
    std::thread watchdog;
    std::mutex mutex;
    std::condition_variable wake;
    bool done = false;
};

SpreadsheetHost::HeldOperation::HeldOperation(std::unique_ptr<State> state) : d(std::move(state)) {}

SpreadsheetHost::HeldOperation::~HeldOperation() {
    {
        std::lock_guard<std::mutex> g(d->mutex);
        d->done = true;
    }
    d->wake.notify_all();
    if (d->watchdog.joinable())
        d->watchdog.join();
}

std::unique_ptr<Office::Operation> SpreadsheetHost::beginOperation(int timeoutMs, int waitMs,
                                                                   const ExclusiveLock::Waiting& waiting) {
    QDir().mkpath(options_.profileDir);
    auto state = std::make_unique<HeldOperation::State>();
    state->lock = std::make_unique<ExclusiveLock>(
        operationLockFile(options_.profileDir), waitMs,
        QStringLiteral("LibreOffice Calc занят другой операцией программы Korvelanta"), waiting);
    *expired_ = 0;
    HeldOperation::State* st = state.get();
    // The office is found by its pipe when the deadline passes: the operation may have started a new one
    // meanwhile, and the office may be another program's.
    state->watchdog = std::thread([st, timeoutMs, pipe = options_.pipeName, expired = expired_] {
        std::unique_lock<std::mutex> g(st->mutex);
        if (st->wake.wait_for(g, std::chrono::milliseconds(timeoutMs), [st] { return st->done; }))
            return;
        *expired = std::max(1, timeoutMs / 1000);
        if (const pid_t pid = findOfficeByPipe(pipe))
            ::kill(pid, SIGKILL);
    });
    return std::unique_ptr<Operation>(new HeldOperation(std::move(state)));
}

namespace {

void closeDocument(const Reference<frame::XModel>& m) {
    try {
        Reference<util::XCloseable>(m, UNO_QUERY_THROW)->close(true);
    } catch (const uno::Exception&) {
        // gone already
    }
}

// The filters of the spreadsheet formats a logbook may have been saved in; any other (a text import
// above all) means the file is no workbook.
bool spreadsheetFilter(const QString& filter) {
    static const QStringList kKnown = {QStringLiteral("MS Excel"),
                                       QStringLiteral("Calc MS Excel"),
                                       QStringLiteral("calc8"),
                                       QStringLiteral("calc_StarOffice"),
                                       QStringLiteral("StarOffice XML (Calc)"),
                                       QStringLiteral("Calc Office Open XML"),
                                       QStringLiteral("Excel 2007")};
    return std::any_of(kKnown.begin(), kKnown.end(), [&](const QString& k) { return filter.startsWith(k); });
}

} // namespace

SpreadsheetHost::Holding SpreadsheetHost::holding(const QString& path) {
    attach();
    auto s = session();
    const QString abs = QFileInfo(path).absoluteFilePath();
    return guarded(*s, nullptr, QStringLiteral("поиск открытой книги ") + abs, [&] {
        Holding h = Holding::NotLoaded;
        forEachDocument<frame::XModel>(*s, [&](const Reference<frame::XModel>& m) {
            if (localPathOfUrl(toQ(m->getURL())) == abs)
                h = isShown(m) ? Holding::Shown : (h == Holding::NotLoaded ? Holding::Hidden : h);
            return false;
        });
        return h;
    });
}

int SpreadsheetHost::closeHiddenWorkbooks() {
    attach();
    auto s = session();
    return guarded(*s, nullptr, QStringLiteral("закрытие оставленных книг"), [&] {
        QList<Reference<frame::XModel>> leftovers;
        forEachDocument<frame::XModel>(*s, [&](const Reference<frame::XModel>& m) {
            if (!isShown(m))
                leftovers << m;
            return false;
        });
        for (const auto& m : leftovers)
            closeDocument(m);
        return int(leftovers.size());
    });
}

Workbook SpreadsheetHost::openForChange(const QString& path) {
    attach();
    auto s = session();
    const QString abs = QFileInfo(path).absoluteFilePath();
    return guarded(*s, nullptr, QStringLiteral("открытие книги ") + abs, [&] {
        forEachDocument<frame::XModel>(*s, [&](const Reference<frame::XModel>& m) {
            if (localPathOfUrl(toQ(m->getURL())) != abs)
                return false;
            if (isShown(m))
                throw Error(Error::LogbookBusy,
                            QStringLiteral("Лётная книжка открыта для просмотра в окне LibreOffice Calc: ") + abs +
                                QStringLiteral(". Закройте просмотр и повторите."));
            closeDocument(m); // a leftover: loading would hand it back, changes and all
            return false;
        });
        Reference<lang::XComponent> c;
        try {
            c = s->desktop->loadComponentFromURL(toOU(fileUrl(abs)), "_blank", 0, seqOf({prop("Hidden", Any(true))}));
        } catch (const lang::IllegalArgumentException& e) {
            throw Error(Error::BadWorkbook,
                        QStringLiteral("Файл повреждён или не является книгой электронной таблицы: ") + abs,
                        toQ(e.Message));
        } catch (const io::IOException& e) {
            throw Error(Error::BadWorkbook,
                        QStringLiteral("Файл повреждён или не является книгой электронной таблицы: ") + abs,
                        toQ(e.Message));
        }
        Reference<frame::XModel> model(c, UNO_QUERY);
        Reference<sheet::XSpreadsheetDocument> doc(c, UNO_QUERY);
        QString filter;
        if (model.is())
            for (const beans::PropertyValue& p : model->getArgs())
                if (p.Name == "FilterName") {
                    OUString f;
                    p.Value >>= f;
                    filter = toQ(f);
                }
        if (!doc.is() || !spreadsheetFilter(filter)) {
            if (model.is())
                closeDocument(model);
            throw Error(Error::BadWorkbook, QStringLiteral("Файл не является книгой электронной таблицы: ") + abs,
                        QStringLiteral("фильтр ") + filter);
        }
        if (Reference<frame::XStorable>(c, UNO_QUERY_THROW)->isReadonly()) {
            closeDocument(model);
            throw Error(Error::FileAccess,
                        QStringLiteral("LibreOffice Calc открывает лётную книжку только для чтения: ") + abs +
                            QStringLiteral(". Её держит открытой другая программа, или нет права записи."));
        }
        return unoWorkbook(makeBook(s, doc, abs));
    });
}

} // namespace korv::logbook
