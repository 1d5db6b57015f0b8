// The view of a workbook: the active sheet, the selection, frozen panes, showing and hiding. View
// operations take effect only in a realised window, which a hidden workbook gets far off screen for the
// moment it needs one.

#include "spreadsheet/uno/handles.h"
#include "spreadsheet/uno/spreadsheet_host.h"

#include <com/sun/star/awt/PosSize.hpp>
#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/XViewDataSupplier.hpp>
#include <com/sun/star/frame/ModuleManager.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XFrames.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XViewFreezable.hpp>
#include <com/sun/star/util/XCloseBroadcaster.hpp>
#include <com/sun/star/util/XCloseListener.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>
#include <cppuhelper/implbase1.hxx>

using namespace com::sun::star;

namespace korv::logbook {

using namespace detail;

namespace {

Reference<sheet::XSpreadsheetView> spreadsheetView(BookRef& b) {
    return Reference<sheet::XSpreadsheetView>(b.controller(), UNO_QUERY_THROW);
}

QString activeSheetName(const Reference<sheet::XSpreadsheetView>& view) {
    return toQ(Reference<container::XNamed>(view->getActiveSheet(), UNO_QUERY_THROW)->getName());
}

// A hidden workbook's window shown far off screen while this lives.
class RealisedView {
public:
    explicit RealisedView(BookRef& b) : win_(b.window()) {
        Reference<awt::XWindow2> w2(win_, UNO_QUERY);
        wasVisible_ = w2.is() && w2->isVisible();
        if (!wasVisible_)
            place();
    }
    // A window shown for the first time may come up with a size of its own (24x1 under GTK): the
    // size is set again once it is visible, and again whenever it has shrunk.
    void place() {
        win_->setPosSize(-3000, -3000, 1200, 900, awt::PosSize::POSSIZE);
        win_->setVisible(true);
        win_->setPosSize(-3000, -3000, 1200, 900, awt::PosSize::POSSIZE);
    }
    void ensureSize() {
        const awt::Rectangle r = win_->getPosSize();
        if (r.Width < 600 || r.Height < 400)
            win_->setPosSize(r.X, r.Y, 1200, 900, awt::PosSize::SIZE);
    }
    void reshow() {
        if (wasVisible_)
            return;
        win_->setVisible(false);
        place();
    }
    ~RealisedView() {
        if (!wasVisible_) {
            try {
                win_->setVisible(false);
            } catch (const uno::Exception&) {
                // the office went away; the caller reports that
            }
        }
    }
    RealisedView(const RealisedView&) = delete;
    RealisedView& operator=(const RealisedView&) = delete;

private:
    Reference<awt::XWindow> win_;
    bool wasVisible_ = false;
};

// The frozen split of a sheet from the document's view settings: exact column and row numbers, unlike
// XViewSplitable, which derives them from pixel positions. The model computes these settings once
// and keeps them, so they describe the workbook as it was loaded (or first asked).
std::optional<std::pair<int, int>> frozenSplit(BookRef& b, const QString& sheetName) {
    Reference<container::XIndexAccess> views =
        Reference<document::XViewDataSupplier>(b.doc, UNO_QUERY_THROW)->getViewData();
    if (!views.is() || views->getCount() == 0)
        return std::nullopt;
    Sequence<beans::PropertyValue> view;
    views->getByIndex(0) >>= view;
    for (const beans::PropertyValue& p : std::as_const(view)) {
        if (p.Name != "Tables")
            continue;
        Reference<container::XNameAccess> tables(p.Value, UNO_QUERY_THROW);
        if (!tables->hasByName(toOU(sheetName)))
            return std::nullopt;
        Sequence<beans::PropertyValue> t;
        tables->getByName(toOU(sheetName)) >>= t;
        sal_Int16 hMode = 0, vMode = 0;
        sal_Int32 hPos = 0, vPos = 0;
        for (const beans::PropertyValue& q : std::as_const(t)) {
            if (q.Name == "HorizontalSplitMode")
                q.Value >>= hMode;
            else if (q.Name == "VerticalSplitMode")
                q.Value >>= vMode;
            else if (q.Name == "HorizontalSplitPosition")
                q.Value >>= hPos;
            else if (q.Name == "VerticalSplitPosition")
                q.Value >>= vPos;
        }
        constexpr sal_Int16 kFixed = 2; // frozen, as opposed to a movable split
        if (hMode != kFixed && vMode != kFixed)
            return std::nullopt;
        return std::pair(hMode == kFixed ? int(hPos) : 0, vMode == kFixed ? int(vPos) : 0);
    }
    return std::nullopt;
}

} // namespace

void UnoSheet::activate() {
    onSheet(d, QStringLiteral("переход на лист"), [&] { spreadsheetView(*d->book)->setActiveSheet(d->sheet); });
}

void UnoSheet::select(const QString& a1Text) {
    const Range r = range(a1Text);
    onSheet(d, QStringLiteral("выделение ") + a1Text, [&] {
        Reference<frame::XController> ctl = d->book->controller();
        Reference<sheet::XSpreadsheetView> view(ctl, UNO_QUERY_THROW);
        if (activeSheetName(view) != d->name)
            view->setActiveSheet(d->sheet);
        Reference<view::XSelectionSupplier>(ctl, UNO_QUERY_THROW)->select(Any(refOf(r)->range));
    });
}

QString UnoSheet::selection() const {
    return onSheet(d, QStringLiteral("чтение выделения"), [&] {
        Reference<sheet::XCellRangeAddressable> sel(
            Reference<view::XSelectionSupplier>(d->book->controller(), UNO_QUERY_THROW)->getSelection(), UNO_QUERY);
        return sel.is() ? a1Of(sel->getRangeAddress()) : QString();
    });
}

std::optional<std::pair<int, int>> UnoSheet::frozenPanes() const {
    return onSheet(d, QStringLiteral("чтение закрепления областей"), [&] { return frozenSplit(*d->book, d->name); });
}

Sheet UnoWorkbook::activeSheet() const {
    return onBook(d, QStringLiteral("чтение активного листа"),
                  [&] { return makeSheet(d, spreadsheetView(*d)->getActiveSheet()); });
}

void UnoWorkbook::freezePanes(const QStringList& sheets, int columns, int rows) {
    QList<Sheet> list;
    for (const QString& n : sheets)
        list << sheet(n);
    onBook(d, QStringLiteral("закрепление областей"), [&] {
        Reference<frame::XController> ctl = d->controller();
        Reference<sheet::XSpreadsheetView> view(ctl, UNO_QUERY_THROW);
        Reference<sheet::XViewFreezable> fz(ctl, UNO_QUERY_THROW);
        RealisedView shown(*d);
        for (const Sheet& sh : list) {
            // The realised window needs a moment before a new active sheet or a split sticks; with
            // the GTK plugin a freshly shown window now and then ignores every freeze until it is
            // shown anew.
            bool done = false;
            for (int i = 0; i < 120 && !done; ++i) {
                if (activeSheetName(view) != refOf(sh)->name) {
                    view->setActiveSheet(refOf(sh)->sheet);
                } else {
                    if (!fz->hasFrozenPanes())
                        fz->freezeAtPosition(columns, rows);
                    done = fz->hasFrozenPanes();
                }
                if (!done && i % 20 == 19)
                    shown.reshow();
                else if (!done)
                    shown.ensureSize();
                if (!done)
                    sleepMs(i < 10 ? 5 : 50);
            }
            if (!done)
                throw hostError(QStringLiteral("LibreOffice Calc не закрепил области листа «") + refOf(sh)->name +
                                QStringLiteral("»"));
        }
    });
}

std::shared_ptr<void> UnoWorkbook::holdView() {
    return onBook(d, QStringLiteral("подготовка окна книги"),
                  [&] { return std::shared_ptr<void>(std::make_shared<RealisedView>(*d)); });
}

void UnoWorkbook::show() {
    onBook(d, QStringLiteral("показ книги"), [&] {
        Reference<frame::XFrame> frame = d->controller()->getFrame();
        Reference<awt::XWindow> w = frame->getContainerWindow();
        w->setPosSize(0, 0, 1200, 900, awt::PosSize::POSSIZE);
        w->setVisible(true);
        if (Reference<awt::XTopWindow> top{w, UNO_QUERY}; top.is())
            top->toFront();
        frame->activate();
    });
}

namespace {

// Tells the program once when the workbook is closed, by it or by the pilot in Calc. Called on a thread of
// the office bridge: the program's callback only posts to its own thread.
class ClosedListener : public cppu::WeakImplHelper1<util::XCloseListener> {
public:
    explicit ClosedListener(std::function<void()> closed) : closed_(std::move(closed)) {}
    void SAL_CALL queryClosing(const lang::EventObject&, sal_Bool) override {}
    void SAL_CALL notifyClosing(const lang::EventObject&) override { fire(); }
    void SAL_CALL disposing(const lang::EventObject&) override { fire(); }

private:
    void fire() {
        if (std::exchange(fired_, true))
            return;
        closed_();
    }
    std::function<void()> closed_;
    bool fired_ = false;
};

} // namespace

void UnoWorkbook::whenClosed(std::function<void()> closed) {
    onBook(d, QStringLiteral("наблюдение за книгой"), [&] {
        Reference<util::XCloseBroadcaster>(d->doc, UNO_QUERY_THROW)
            ->addCloseListener(Reference<util::XCloseListener>(new ClosedListener(std::move(closed))));
    });
}

int SpreadsheetHost::closeStartCenter() {
    if (!isAttached())
        return 0;
    auto s = session();
    int closed = 0;
    try {
        Reference<frame::XModuleManager2> modules = frame::ModuleManager::create(s->remote);
        Reference<container::XIndexAccess> frames(s->desktop->getFrames(), UNO_QUERY_THROW);
        for (sal_Int32 i = frames->getCount() - 1; i >= 0; --i) {
            Reference<frame::XFrame> frame(frames->getByIndex(i), UNO_QUERY);
            if (!frame.is())
                continue;
            try {
                if (modules->identify(frame) != "com.sun.star.frame.StartModule")
                    continue;
            } catch (const uno::Exception&) {
                continue; // a frame without a module is no Start Center
            }
            if (Reference<util::XCloseable> c{frame, UNO_QUERY}; c.is())
                c->close(true);
            else
                frame->dispose();
            ++closed;
        }
    } catch (const uno::Exception&) {
        // the office went away: nothing is shown any more
    }
    return closed;
}

void UnoWorkbook::hide() {
    onBook(d, QStringLiteral("скрытие книги"), [&] { d->window()->setVisible(false); });
}

bool UnoWorkbook::isVisible() const {
    return onBook(d, QStringLiteral("чтение видимости книги"), [&] { return isShown(d->model()); });
}

} // namespace korv::logbook
