// The logbook under fire: korvelanta-cli write killed at random moments, its office killed at random
// moments, two writers at once on one logbook and on two logbooks sharing one office, batches stopped by
// SIGTERM at random moments (their answer must name exactly the records that landed), every command and the
// desktop program killed at random moments (after 10 s no office, guard or lock file may be left, and after
// the next command no temporary file or scratch copy), and two restores, or a restore and a write, started
// together. After every trial the file is read back through an independent office and a clean write
// follows; what is counted:
//   lost       a write reported as done whose record is not in the file, or a clean write that added none
//   doubled    more than one record more than the writes that landed
//   partial    a record without all its cells
//   untruthful an exit status that contradicts the file (done without the record, failed with it)
//   hangs      a write that did not end within two minutes
//   crashes    a write that ended by a signal nobody sent it
//   leftovers  anything beside the logbook after a clean write, a scratch copy in the temporary folder
//   offices    an office, its guard or a lock file of one still there 10 s after its program was killed
//   false      a refusal that names a false cause (a valid backup called unreadable)
//
//   stress_logbook [--cli-kills N] [--office-kills N] [--pairs-one N] [--pairs-two N] [--stops N]
//                  [--command-kills N] [--restore-pairs N] [--seed S]
// The defaults are the full run of `make stress`; `--short` is the run of `make test`.

#include "logbook/book_names.h"
#include "logbook/newbook.h"
#include "spreadsheet/uno/spreadsheet_host.h"
#include "support/worked_shift.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QTime>

#include <csignal>
#include <cstdio>
#include <map>

using namespace korv;
namespace lb = korv::logbook;

namespace {

const QByteArray kShift = '[' + korv::test::formJson(korv::test::workedShift()) + ']';
constexpr int kHangMs = 120000;

// A command of the program as the kills take it.
struct Command {
    const char* name;
    QStringList args; // after the program; "--dir <one>" is added to all but the desktop's
    bool desktop = false;
    bool input = false; // takes the worked shift on its standard input
};
const char* const kOutputs[] = {"pages.pdf", "totals.pdf", "export.csv", "chart.png"};
const Command kCommands[] = {
    {"write", {"write"}, false, true},
    {"new", {"new"}},
    {"export", {"export", "--csv", "export.csv", "--all"}},
    {"pages", {"pages", "--all", "--pdf", "pages.pdf"}},
    {"totals", {"totals", "--period", "01.01.04-31.12.05", "--pdf", "totals.pdf"}},
    {"check", {"check"}},
    {"records", {"records"}},
    {"backups", {"backups"}},
    {"recency", {"recency"}},
    {"chart", {"chart", "--year", "2004", "--png", "chart.png"}},
    {"restore", {"restore", "LATEST"}},
    {"desktop", {}, true},
};

struct Counts {
    std::map<QString, int> bad{{"lost", 0},    {"doubled", 0},   {"partial", 0}, {"untruthful", 0}, {"hangs", 0},
                               {"crashes", 0}, {"leftovers", 0}, {"offices", 0}, {"false", 0}};
    int trials = 0;
    int landed = 0;  // writes whose record is in the file (killed ones, or both of a pair)
    int refused = 0; // writes that ended with status 3 (and the file as it was)
};

class Stress {
public:
    Stress(QTextStream& out, quint32 seed) : out_(out), random_(seed) {
        lb::SpreadsheetHost::Options o;
        o.profileDir = root_.filePath("reader-profile");
        reader_ = std::make_unique<lb::SpreadsheetHost>(o);
        for (const char* name : {"one", "two"}) {
            QDir().mkpath(root_.filePath(name));
            lb::NoProgress progress;
            lb::createNewLogbook(*reader_, root_.filePath(name), progress);
        }
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert("XDG_CACHE_HOME", root_.filePath("cache"));
        env_.insert("KORV_LOG", qEnvironmentVariableIsSet("KORV_STRESS_TRACE")
                                    ? QDir::temp().filePath("stress-korvelanta.log")
                                    : root_.filePath("korvelanta.log"));
        // Scratch copies of the programs go where the run can see what is left of them.
        QDir().mkpath(root_.filePath("tmp"));
        env_.insert("TMPDIR", root_.filePath("tmp"));
        env_.insert("KORVELANTA_DIR", dir("one"));
    }
    ~Stress() {
        reader_.reset();
        QProcess::execute("pkill", {"-KILL", "-f", "UserInstallation=file://" + root_.filePath("cache")});
    }

    QString dir(const char* name) const { return root_.filePath(name); }

    // A clean write: it must land, exactly one record more, nothing beside the logbook afterwards.
    void cleanWrite(const char* name, Counts& c) {
        const int before = records(name);
        QProcess p;
        QElapsedTimer t;
        t.start();
        const int status = run(p, name);
        // The kills aim at the whole length of a write as it is now.
        writeMs_ = writeMs_ ? (3 * writeMs_ + t.elapsed()) / 4 : t.elapsed();
        if (status != 0) {
            ++c.bad["lost"];
            out_ << "  " << QTime::currentTime().toString("HH:mm:ss") << " after " << t.elapsed() << " ms:";
            QStringList texts;
            for (const QJsonValue& v : QJsonDocument::fromJson(p.readAllStandardOutput()).array())
                for (const QJsonValue& m : v.toObject()["messages"].toArray())
                    texts << m.toObject()["text"].toString();
            out_ << "  clean write failed (" << status << "): " << texts.join(" | ") << ' '
                 << p.readAllStandardError().right(300) << '\n';
        }
        const int after = records(name);
        if (after < before + (status == 0 ? 1 : 0))
            ++c.bad["lost"];
        if (after > before + 1)
            ++c.bad["doubled"];
        QStringList left =
            QDir(dir(name)).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        left.removeAll("Korvelanta.xls");
        for (const char* output : kOutputs)
            left.removeAll(output); // what the killed commands were asked to write, whole or from before
        // (Qt's own runtime folder of the desktop program, made there when XDG_RUNTIME_DIR is unset, is not.)
        for (const QString& scratch :
             QDir(root_.filePath("tmp")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
            if (!scratch.startsWith("runtime-"))
                left << "$TMPDIR/" + scratch;
        // Backups are complete files only (a killed change may have kept one of the file it did not replace),
        // beside the note of the last change.
        if (left.removeAll("Backups"))
            for (const QString& b :
                 QDir(dir(name) + "/Backups")
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
                if (!b.startsWith("Korvelanta-") || (!b.endsWith(".xls") && b != "Korvelanta-последнее изменение.json"))
                    left << "Backups/" + b;
        if (!left.isEmpty()) {
            ++c.bad["leftovers"];
            out_ << "  left beside the logbook: " << left.join(' ') << '\n';
        }
    }

    // Milliseconds of a clean write, from start to end of the program, as the last writes took.
    qint64 timeWrites() {
        Counts ignored;
        for (int i = 0; i < 3; ++i)
            cleanWrite("one", ignored);
        return writeMs_;
    }

    // A write killed (or its office killed) after a random delay.
    void killTrial(bool office, Counts& c) {
        const qint64 writeMs = writeMs_;
        ++c.trials;
        const int before = records("one");
        QProcess p;
        start(p, "one");
        if (office) {
            // The office the write starts: once it is there, killed at a random moment of the write.
            QElapsedTimer t;
            t.start();
            QList<qint64> pids;
            while ((pids = officePids()).isEmpty() && t.elapsed() < writeMs && p.state() == QProcess::Running)
                QThread::msleep(10);
            QThread::msleep(random_.bounded(int(writeMs * 3 / 4) + 1));
            for (qint64 pid : officePids())
                ::kill(pid_t(pid), SIGKILL);
        } else {
            const int delay = random_.bounded(int(writeMs * 6 / 5) + 1);
            QThread::msleep(delay);
            if (qEnvironmentVariableIsSet("KORV_STRESS_TRACE"))
                out_ << "  kill after " << delay << " ms\n";
            p.kill();
        }
        const int status = finish(p, c, !office);
        const int after = records("one");
        if (qEnvironmentVariableIsSet("KORV_STRESS_TRACE"))
            out_ << "  status " << status << ", records " << before << " -> " << after << '\n';
        if (after > before + 1)
            ++c.bad["doubled"];
        if (after == before + 1) {
            ++c.landed;
            if (!lastRecordComplete("one"))
                ++c.bad["partial"];
        }
        if (office && status == 0 && after != before + 1)
            ++c.bad["untruthful"];
        if (office && status == 3) {
            ++c.refused;
            if (after != before)
                ++c.bad["untruthful"];
        }
        cleanWrite("one", c);
    }

    // A batch of writes stopped by SIGTERM at a random moment: the answer names exactly the records that
    // landed, and the logbook holds exactly those.
    void stopTrial(Counts& c) {
        ++c.trials;
        const int before = records("one");
        const int shifts = 4 + random_.bounded(8);
        QByteArray batch = kShift;
        for (int i = 1; i < shifts; ++i)
            batch.insert(batch.size() - 1, "," + kShift.mid(1, kShift.size() - 2));
        QProcess p;
        start(p, "one", batch);
        // A batch writes faster than single writes (one office start): aimed at its first half or so.
        const int delay = random_.bounded(int(writeMs_ * shifts / 2) + 1);
        QThread::msleep(delay);
        ::kill(pid_t(p.processId()), SIGTERM);
        const int status = finish(p, c, false);
        const QJsonArray answers = QJsonDocument::fromJson(p.readAllStandardOutput()).array();
        int written = 0;
        for (const QJsonValue& a : answers)
            written += a.toObject()["written"].isObject() ? 1 : 0;
        const int after = records("one");
        c.landed += written;
        if (status == 3 && answers.size() < shifts)
            ++c.refused; // stopped before its end
        const bool truthful = (status == 0 || status == 3) && written == answers.size() &&
                              (status == 3 || answers.size() == shifts) && after == before + written;
        if (!truthful) {
            ++c.bad[after < before + written ? "lost" : "untruthful"];
            out_ << "  batch of " << shifts << " stopped after " << delay << " ms: status " << status << ", "
                 << answers.size() << " answers, " << written << " written, records " << before << " -> " << after
                 << '\n';
        }
        if (after > before + shifts)
            ++c.bad["doubled"];
        cleanWrite("one", c);
    }

    // Two writers started together, on one logbook or on two sharing one office.
    void pairTrial(bool oneBook, Counts& c) {
        ++c.trials;
        const char* a = "one";
        const char* b = oneBook ? "one" : "two";
        const int beforeA = records(a), beforeB = oneBook ? 0 : records(b);
        QProcess pa, pb;
        start(pa, a);
        start(pb, b);
        const int sa = finish(pa, c, false), sb = finish(pb, c, false);
        if (sa != 0 || sb != 0) {
            ++c.bad["lost"];
            out_ << "  a writer of a pair ended with " << sa << " and " << sb << '\n';
        }
        c.landed += int(sa == 0) + int(sb == 0);
        if (oneBook) {
            const int after = records(a);
            if (after < beforeA + 2)
                ++c.bad["lost"];
            if (after > beforeA + 2)
                ++c.bad["doubled"];
            if (rowOf(pa) == rowOf(pb))
                ++c.bad["lost"];
        } else {
            if (records(a) != beforeA + 1 || records(b) != beforeB + 1)
                ++c.bad["lost"];
        }
    }

    // Every command of the program, and the desktop program, killed at a random moment of its run: 10 s
    // later no office, guard or lock file of an office may be left, and after the next command (a clean
    // write) no temporary file or scratch copy.
    void commandKillTrial(Counts& c) {
        ++c.trials;
        const Command& command = kCommands[random_.bounded(int(std::size(kCommands)))];
        QProcess p;
        startCommand(p, command);
        const qint64 length = commandMs_.count(command.name) ? commandMs_[command.name] : command.desktop ? 4000 : 1000;
        const int delay = random_.bounded(int(length * 6 / 5) + 1);
        QThread::msleep(delay);
        p.kill();
        p.waitForFinished(10000);
        if (qEnvironmentVariableIsSet("KORV_STRESS_TRACE"))
            out_ << "  " << command.name << " killed after " << delay << " ms\n";
        QStringList left;
        QElapsedTimer t;
        t.start();
        do {
            QThread::msleep(200);
            left = officeLeftovers();
        } while (!left.isEmpty() && t.elapsed() < 10000);
        if (!left.isEmpty()) {
            ++c.bad["offices"];
            out_ << "  " << command.name << " killed after " << delay << " ms left for 10 s: " << left.join(' ')
                 << '\n';
            for (const QString& pid : officePidsAll())
                ::kill(pid.toInt(), SIGKILL);
        }
        cleanWrite("one", c);
    }

    // How long each command takes from start to end, so that its kills aim at the whole of it.
    void timeCommands() {
        for (const Command& command : kCommands) {
            QProcess p;
            QElapsedTimer t;
            t.start();
            startCommand(p, command);
            if (!p.waitForFinished(kHangMs))
                p.kill();
            p.waitForFinished();
            commandMs_[command.name] = command.desktop ? 4000 : t.elapsed();
            if (command.desktop)
                QThread::msleep(2000); // its office's guard ends what the killed program left
            out_ << "  " << command.name << ": " << commandMs_[command.name] << " ms\n";
        }
    }

    // Two restores of two backups started together, or a restore and a write: both end, one after the
    // other, neither calls a valid backup unreadable, and the logbook is one of the states they leave.
    void restorePairTrial(bool withWrite, Counts& c) {
        ++c.trials;
        QStringList names = QDir(dir("one") + "/Backups").entryList({"Korvelanta-*.xls"}, QDir::Files, QDir::Name);
        if (names.size() < 2) {
            Counts ignored;
            cleanWrite("one", ignored);
            QThread::msleep(1100);
            cleanWrite("one", ignored);
            names = QDir(dir("one") + "/Backups").entryList({"Korvelanta-*.xls"}, QDir::Files, QDir::Name);
        }
        const QString a = names[random_.bounded(int(names.size()))];
        const QString b = names[random_.bounded(int(names.size()))];
        const QByteArray hashA = hashOf(dir("one") + "/Backups/" + a), hashB = hashOf(dir("one") + "/Backups/" + b);
        // Read now: the restores' own keeping rule may let the backup go.
        const int recordsA = recordsOf(dir("one") + "/Backups/" + a);
        QProcess pa, pb;
        startCommand(pa, Command{"restore", {"restore", a}});
        if (withWrite)
            start(pb, "one");
        else
            startCommand(pb, Command{"restore", {"restore", b}});
        const int sa = finish(pa, c, false), sb = finish(pb, c, false);
        const QString said = QString::fromUtf8(pa.readAllStandardError() + pb.readAllStandardError());
        if (said.contains("не открывается как лётная книжка")) {
            ++c.bad["false"];
            out_ << "  " << said.trimmed().left(300) << '\n';
        }
        // Refused is sound when it says why (the logbook busy past the wait); it is counted, not failed.
        if (sa > 0 || sb > 0) {
            ++c.refused;
            out_ << "  a pair ended with " << sa << " and " << sb << ": " << said.trimmed().left(300) << '\n';
        }
        c.landed += int(sa == 0) + int(sb == 0);
        const QByteArray now = hashOf(lb::bookPath(dir("one")));
        // Two restores leave the backup of the one that ran last; a restore and a write leave the backup,
        // or the backup with the write's record when the write came second.
        const int after = records("one");
        if (!withWrite && sa == 0 && sb == 0 && now != hashA && now != hashB)
            ++c.bad["untruthful"];
        if (withWrite && sa == 0 && sb == 0 && now != hashA && after != recordsA + 1)
            ++c.bad["untruthful"];
        cleanWrite("one", c);
    }

private:
    void startCommand(QProcess& p, Command command) {
        p.setProcessEnvironment(env_);
        p.setWorkingDirectory(dir("one"));
        if (command.desktop) {
            p.start(QCoreApplication::applicationDirPath() + "/../bin/korvelanta", {});
            p.waitForStarted();
            return;
        }
        if (command.args.contains("LATEST")) {
            const QStringList names =
                QDir(dir("one") + "/Backups").entryList({"Korvelanta-*.xls"}, QDir::Files, QDir::Name);
            command.args.replace(command.args.indexOf("LATEST"), names.isEmpty() ? "none.xls" : names.back());
        }
        for (QString& a : command.args)
            if (a.endsWith(".pdf") || a.endsWith(".csv") || a.endsWith(".png"))
                a = dir("one") + '/' + a;
        // A new logbook is made in a folder of its own, afresh each time.
        QString folder = dir("one");
        if (command.args.front() == "new") {
            folder = root_.filePath("fresh");
            QDir(folder).removeRecursively();
        }
        p.start(QCoreApplication::applicationDirPath() + "/../bin/korvelanta-cli",
                command.args + QStringList{"--dir", folder});
        p.waitForStarted();
        if (command.input)
            p.write(kShift);
        p.waitForBytesWritten();
        p.closeWriteChannel();
    }

    // Offices of the run's cache, their guards, and office lock files beside the logbook or its backups.
    QStringList officeLeftovers() {
        QStringList left;
        for (const QString& pid : officePidsAll())
            left << "office:" + pid;
        QProcess pgrep;
        pgrep.start("pgrep", {"-f", "korvelanta-office-guard " + root_.filePath("cache")});
        pgrep.waitForFinished();
        for (const QByteArray& line : pgrep.readAllStandardOutput().split('\n'))
            if (!line.trimmed().isEmpty())
                left << "guard:" + QString::fromUtf8(line.trimmed());
        for (const QString& d : QStringList{dir("one"), dir("one") + "/Backups"})
            for (const QString& f : QDir(d).entryList({".~lock.*"}, QDir::Files | QDir::Hidden | QDir::System))
                left << f;
        return left;
    }
    QStringList officePidsAll() {
        QStringList pids;
        for (qint64 pid : officePids())
            pids << QString::number(pid);
        return pids;
    }
    static QByteArray hashOf(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                                           : QByteArray();
    }

    void start(QProcess& p, const char* name, const QByteArray& input = kShift) {
        p.setProcessEnvironment(env_);
        p.start(QCoreApplication::applicationDirPath() + "/../bin/korvelanta-cli", {"write", "--dir", dir(name)});
        p.waitForStarted();
        p.write(input);
        // Handed over now: QProcess would otherwise keep it until its event loop runs.
        p.waitForBytesWritten();
        p.closeWriteChannel();
    }
    // The exit status, or -1 for a crash or a hang (counted unless the signal was ours).
    int finish(QProcess& p, Counts& c, bool killedByUs) {
        if (!p.waitForFinished(kHangMs)) {
            ++c.bad["hangs"];
            p.kill();
            p.waitForFinished();
            return -1;
        }
        if (p.exitStatus() == QProcess::CrashExit) {
            if (!killedByUs) {
                ++c.bad["crashes"];
                out_ << "  a write crashed: " << p.readAllStandardError().right(300) << '\n';
            }
            return -1;
        }
        return p.exitCode();
    }
    int run(QProcess& p, const char* name) {
        start(p, name);
        Counts ignored;
        return finish(p, ignored, false);
    }
    static int rowOf(QProcess& p) {
        const QJsonArray a = QJsonDocument::fromJson(p.readAllStandardOutput()).array();
        return a.isEmpty() ? 0 : a[0].toObject()["written"].toObject()["row"].toInt();
    }
    QList<qint64> officePids() {
        QProcess pgrep;
        pgrep.start("pgrep", {"-f", "UserInstallation=file://" + root_.filePath("cache")});
        pgrep.waitForFinished();
        QList<qint64> pids;
        for (const QByteArray& line : pgrep.readAllStandardOutput().split('\n'))
            if (!line.trimmed().isEmpty())
                pids << line.trimmed().toLongLong();
        return pids;
    }

    // Record rows of "Лист1" (a date in A), read from the file by the independent office.
    QList<QVariantList> recordRows(const char* name) { return recordRowsOf(lb::bookPath(dir(name))); }
    QList<QVariantList> recordRowsOf(const QString& file) {
        // A copy: what the file holds, whatever office may have it open meanwhile.
        const QString copy = root_.filePath("copy.xls");
        QFile::remove(copy);
        QFile::copy(file, copy);
        lb::Workbook wb = reader_->openWorkbook(copy);
        lb::Sheet s = wb.sheet(lb::kSheet1);
        QList<QVariantList> out;
        const int last = s.lastUsedRow();
        if (last >= 6) {
            const QList<QVariantList> rows = s.cells(6, 0, last + 1, 12).data();
            for (int i = 0; i + 1 < rows.size(); i += 2)
                if (rows[i][0].typeId() == QMetaType::Double)
                    out << (rows[i] + rows[i + 1]);
        }
        wb.close(lb::CloseMode::Discard);
        return out;
    }
    int records(const char* name) { return int(recordRows(name).size()); }
    int recordsOf(const QString& file) { return int(recordRowsOf(file).size()); }
    bool lastRecordComplete(const char* name) {
        const QList<QVariantList> rows = recordRows(name);
        if (rows.isEmpty())
            return false;
        const QVariantList& r = rows.back(); // A..M of the first row, then A..M of the second
        return r[1].toString() == "Л-39" && r[4].toString().startsWith("Упр.  7") &&
               qAbs(r[6].toDouble() - 85 / 1440.0) < 1e-9 && r[12].toDouble() == 900 && r[13 + 12].toDouble() == 600;
    }

    QTextStream& out_;
    QRandomGenerator random_;
    QTemporaryDir root_;
    std::unique_ptr<lb::SpreadsheetHost> reader_;
    QProcessEnvironment env_;
    qint64 writeMs_ = 0;
    std::map<QString, qint64> commandMs_;
};

void report(QTextStream& out, const char* what, const Counts& c) {
    out << what << ": " << c.trials << " trials";
    out << " (" << c.landed << " landed, " << c.refused << " refused)";
    for (const auto& [name, n] : c.bad)
        out << ", " << n << ' ' << name;
    out << '\n';
    out.flush();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    int cliKills = 100, officeKills = 100, pairsOne = 20, pairsTwo = 50, stops = 50, commandKills = 100,
        restorePairs = 200;
    bool shortRun = false;
    quint32 seed = quint32(QDateTime::currentMSecsSinceEpoch());
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const auto next = [&] { return i + 1 < args.size() ? args[++i].toInt() : 0; };
        if (args[i] == "--short")
            cliKills = officeKills = 3, pairsOne = pairsTwo = stops = 2, commandKills = 4, restorePairs = 2,
            shortRun = true;
        else if (args[i] == "--cli-kills")
            cliKills = next();
        else if (args[i] == "--office-kills")
            officeKills = next();
        else if (args[i] == "--pairs-one")
            pairsOne = next();
        else if (args[i] == "--pairs-two")
            pairsTwo = next();
        else if (args[i] == "--stops")
            stops = next();
        else if (args[i] == "--command-kills")
            commandKills = next();
        else if (args[i] == "--restore-pairs")
            restorePairs = next();
        else if (args[i] == "--seed")
            seed = quint32(next());
    }
    out << "seed " << seed << '\n';
    Stress stress(out, seed);
    out << "one write, program start to end: " << stress.timeWrites() << " ms\n";

    Counts cli, office, one, two, stopped;
    for (int i = 0; i < cliKills; ++i)
        stress.killTrial(false, cli);
    report(out, "korvelanta-cli killed", cli);
    for (int i = 0; i < officeKills; ++i)
        stress.killTrial(true, office);
    report(out, "soffice.bin killed", office);
    for (int i = 0; i < pairsOne; ++i)
        stress.pairTrial(true, one);
    report(out, "two writers, one logbook", one);
    for (int i = 0; i < pairsTwo; ++i)
        stress.pairTrial(false, two);
    report(out, "two writers, two logbooks", two);
    for (int i = 0; i < stops; ++i)
        stress.stopTrial(stopped);
    report(out, "a batch stopped by SIGTERM", stopped);
    Counts commands, restores;
    // The short run aims its kills at a length every command has; the full run times each first.
    if (commandKills > 0 && !shortRun) {
        out << "each command alone, program start to end:\n";
        stress.timeCommands();
    }
    for (int i = 0; i < commandKills; ++i)
        stress.commandKillTrial(commands);
    report(out, "every command and the desktop program killed", commands);
    for (int i = 0; i < restorePairs; ++i)
        stress.restorePairTrial(i % 4 == 3, restores);
    report(out, "two restores, or a restore and a write, together", restores);

    int bad = 0;
    for (const Counts* c : {&cli, &office, &one, &two, &stopped, &commands, &restores})
        for (const auto& [name, n] : c->bad)
            bad += n;
    out << (bad == 0 ? "all sound\n" : "FAULTS FOUND\n");
    return bad == 0 ? 0 : 1;
}
