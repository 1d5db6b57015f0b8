// Operations on the office: one at a time across programs, each with a deadline after which the office
// is ended; and the documents an operation finds: leftovers of programs that died, and the logbook
// opened afresh for a change.

#include "common/stop_request.h"
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

namespace {

// How long an operation may go on after a stop was asked for: a change of the largest logbooks is saved
// within it, a hung call is not waited for longer.
constexpr long long kStopGraceMs = 30000;

} // namespace

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
    // A stop asked for gives the operation kStopGraceMs more to end as it would (a change runs to its end),
    // then the office is ended as at the deadline: a command stopped in a call that never returns ends too.
    state->watchdog = std::thread([st, timeoutMs, pipe = options_.pipeName, expired = expired_] {
        const auto start = std::chrono::steady_clock::now();
        const auto deadline = start + std::chrono::milliseconds(timeoutMs);
        std::unique_lock<std::mutex> g(st->mutex);
        for (;;) {
            if (st->wake.wait_for(g, std::chrono::milliseconds(200), [st] { return st->done; }))
                return;
            const long long sinceStop = msSinceStopRequest();
            if (std::chrono::steady_clock::now() >= deadline || sinceStop >= kStopGraceMs)
                break;
        }
        const auto elapsed = std::chrono::steady_clock::now() - start;
        *expired = std::max(1, int(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count()));
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
