// INI files, settings defaults and precedence, the day stamp, the cp1250 edge and file look-up.
#include "cp1250.h"
#include "inifile.h"
#include "paths.h"
#include "settings.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestConfig : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString programDir() const { return m_dir.path() + QStringLiteral("/suite/program"); }
    QString suiteIniPath() const { return m_dir.path() + QStringLiteral("/suite/Tavrix05.ini"); }
    QString moduleIniPath() const { return programDir() + QStringLiteral("/pelmixi.ini"); }

    static QByteArray readBytes(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void writeBytes(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

private slots:
    void init()
    {
        QDir(m_dir.path() + QStringLiteral("/suite")).removeRecursively();
        QDir().mkpath(programDir());
        paths::setProgramDir(programDir());
    }

    void noIniFilesGiveTheDefaults()
    {
        const settings::ConnectionSettings c = settings::readConnectionSettings();
        QCOMPARE(c.host, QStringLiteral("localhost"));
        QCOMPARE(c.sqlPort, QStringLiteral("3306"));
        QCOMPARE(c.database, QStringLiteral("tavrix"));
        QCOMPARE(c.user, QStringLiteral("root"));
        QCOMPARE(c.password, QString());
        QCOMPARE(c.openPort, QString());
        QCOMPARE(c.cisloPC, QStringLiteral("00"));
        const settings::ModuleSettings m = settings::readModuleSettings();
        QVERIFY(m.checkVersionAtStart);
        QVERIFY(!m.confirmMixes);
        QVERIFY(m.recipeFolder.isEmpty());
        QCOMPARE(settings::read(settings::keys::AccessPassword), QString());
        QCOMPARE(settings::read(settings::keys::SmesiOddDiluPartie), QStringLiteral("/"));
        QVERIFY(!QFile::exists(moduleIniPath())); // reading never creates a file
    }

    void workstationNumberPrecedence_data()
    {
        QTest::addColumn<QString>("moduleValue");
        QTest::addColumn<QString>("suiteValue");
        QTest::addColumn<QString>("expected");
        QTest::newRow("neither") << QString() << QString() << QStringLiteral("00");
        QTest::newRow("module only") << QStringLiteral("05") << QString() << QStringLiteral("05");
        QTest::newRow("both") << QStringLiteral("05") << QStringLiteral("07") << QStringLiteral("07");
        QTest::newRow("suite only") << QString() << QStringLiteral("07") << QStringLiteral("07");
    }
    void workstationNumberPrecedence()
    {
        QFETCH(QString, moduleValue);
        QFETCH(QString, suiteValue);
        QFETCH(QString, expected);
        if (!moduleValue.isEmpty())
            IniFile(moduleIniPath()).writeString(QStringLiteral("TFmozno"), QStringLiteral("EditcisloPC_Text"), moduleValue);
        if (!suiteValue.isEmpty())
            IniFile(suiteIniPath()).writeString(QStringLiteral("LogON"), QStringLiteral("CisloPC"), suiteValue);
        QCOMPARE(settings::readConnectionSettings().cisloPC, expected);
    }

    void hostFallbackAndLogOnValues()
    {
        IniFile(moduleIniPath()).writeString(QStringLiteral("TFmozno"), QStringLiteral("EditIP_Text"), QStringLiteral("10.0.0.5"));
        QCOMPARE(settings::readConnectionSettings().host, QStringLiteral("10.0.0.5"));
        IniFile suite(suiteIniPath());
        suite.writeString(QStringLiteral("logon"), QStringLiteral("ip"), QStringLiteral("db.zavod.local"));
        suite.writeString(QStringLiteral("LogON"), QStringLiteral("User"), QStringLiteral("skladnik"));
        suite.writeString(QStringLiteral("LogON"), QStringLiteral("OPENport"), QStringLiteral("3310"));
        const settings::ConnectionSettings c = settings::readConnectionSettings();
        QCOMPARE(c.host, QStringLiteral("db.zavod.local"));
        QCOMPARE(c.user, QStringLiteral("skladnik"));
        QCOMPARE(c.openPort, QStringLiteral("3310"));
    }

    void ftpPassiveOnlyExactFalseSwitchesOff_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("passive");
        QTest::newRow("missing") << QString() << true;
        QTest::newRow("False") << QStringLiteral("False") << false;
        QTest::newRow("false") << QStringLiteral("false") << true;
        QTest::newRow("FALSE") << QStringLiteral("FALSE") << true;
        QTest::newRow("True") << QStringLiteral("True") << true;
    }
    void ftpPassiveOnlyExactFalseSwitchesOff()
    {
        QFETCH(QString, stored);
        QFETCH(bool, passive);
        if (!stored.isEmpty())
            IniFile(suiteIniPath()).writeString(QStringLiteral("LogON"), QStringLiteral("_FTPpassive"), stored);
        QCOMPARE(settings::readFtpSettings().passive, passive);
        QCOMPARE(settings::readFtpSettings().port, QStringLiteral("21"));
    }

    void dayStampTwiceOnTheSameDay()
    {
        QVERIFY(!settings::dayStamp(QStringLiteral("pelmixi")));
        QVERIFY(settings::dayStamp(QStringLiteral("pelmixi")));
        QCOMPARE(IniFile(moduleIniPath()).readString(QStringLiteral("Dnes"), QStringLiteral("Datum")),
                 QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
        IniFile(moduleIniPath()).writeString(QStringLiteral("Dnes"), QStringLiteral("Datum"), QStringLiteral("2020-03-07"));
        QVERIFY(!settings::dayStamp(QStringLiteral("pelmixi")));
    }

    void writingKeepsOtherLinesAndOrder()
    {
        const QString path = moduleIniPath();
        writeBytes(path, QByteArray("; poznámka\r\n[TForm1]\r\nLabel1_Caption=101\r\nOvcSplitter1_Position=300\r\n\r\n"
                                    "[TFmozno]\r\nsuiEdit1_Text=Novák\r\n")
                             .replace("á", "\xE1"));
        IniFile ini(path);
        ini.writeString(QStringLiteral("tform1"), QStringLiteral("LABEL1_CAPTION"), QStringLiteral("102"));
        ini.writeString(QStringLiteral("TForm1"), QStringLiteral("suiComboBoxRok_ItemIndex"), QStringLiteral("3"));
        ini.writeString(QStringLiteral("Dnes"), QStringLiteral("Datum"), QStringLiteral("2026-12-11"));
        QCOMPARE(readBytes(path), QByteArray("; poznámka\r\n[TForm1]\r\nLabel1_Caption=102\r\nOvcSplitter1_Position=300\r\n"
                                             "suiComboBoxRok_ItemIndex=3\r\n\r\n[TFmozno]\r\nsuiEdit1_Text=Novák\r\n\r\n"
                                             "[Dnes]\r\nDatum=2026-12-11\r\n")
                                      .replace("á", "\xE1"));
        QCOMPARE(ini.readString(QStringLiteral("TFMOZNO"), QStringLiteral("suiedit1_text")), QStringLiteral("Novák"));
        QCOMPARE(ini.readString(QStringLiteral("TForm1"), QStringLiteral("missing"), QStringLiteral("dflt")), QStringLiteral("dflt"));
    }

    void iniTextIsCodePage1250OnDisk()
    {
        const QString sentence = QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy");
        IniFile ini(moduleIniPath());
        ini.writeString(QStringLiteral("TFmozno"), QStringLiteral("Editnazev_Text"), sentence);
        QVERIFY(readBytes(moduleIniPath()).contains(QByteArray("P\xF8\xED\x6Ci\x9A \x9Elu\x9Do\x75\xE8k\xFD k\xF9\xF2 \xFAp\xECl "
                                                              "\xEF\xE1\x62\x65lsk\xE9 \xF3\x64y")));
        QCOMPARE(ini.readString(QStringLiteral("TFmozno"), QStringLiteral("Editnazev_Text")), sentence);
    }

    void cp1250RefusesWhatItCannotHold()
    {
        const QString sentence = QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy – „€“");
        QCOMPARE(cp1250::decode(cp1250::encode(sentence)), sentence);
        QCOMPARE(cp1250::decode(QByteArray("\x97")), QString(QChar(0x2014))); // the recipe separators' em dash
        try {
            cp1250::encode(QStringLiteral("Sójový šrot ñ"), QStringLiteral("nazevosiva"));
            QFAIL("a character outside code page 1250 was accepted");
        } catch (const cp1250::EncodingError &e) {
            QCOMPARE(e.character(), QChar(u'ñ'));
            QVERIFY(e.message().contains(QStringLiteral("nazevosiva")));
        }
        QVERIFY_THROWS_EXCEPTION(cp1250::EncodingError, IniFile(moduleIniPath()).writeString(QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("中")));
        QVERIFY(!QFile::exists(moduleIniPath()));
    }

    // A file another editor left with bytes code page 1250 does not define (0x81, 0x98: UTF-8 "Ř"
    // is C5 98), with mixed line ends and no end after its last line. Each write changes only the
    // line of its key; every other line goes back byte for byte.
    void undefinedBytesNeverBlockWriting_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("expected"); // empty: the file stays as it was

        const QByteArray head = "; koment\xC5\x98\x81\r\n[TForm1]\r\nLabel1_Caption=101\r\nPopis=\xC5\x98\x81\n";
        const QByteArray moz = "[TFmozno]\r\nEditnazev_Text=ZD \xC5\x98\x98\r\n";
        const QByteArray tail = "[Dnes]\r\nDatum=2020-01-01";
        QTest::newRow("another key of the section")
            << u"TForm1"_s << u"Label1_Caption"_s << u"102"_s
            << QByteArray("; koment\xC5\x98\x81\r\n[TForm1]\r\nLabel1_Caption=102\r\nPopis=\xC5\x98\x81\n") + moz
                + tail;
        QTest::newRow("a new key after a line ended by LF") << u"TForm1"_s << u"suiComboBoxRok_ItemIndex"_s << u"3"_s
                                                            << head + "suiComboBoxRok_ItemIndex=3\r\n" + moz + tail;
        QTest::newRow("the value holding the bytes, replaced")
            << u"TFmozno"_s << u"Editnazev_Text"_s << u"ZD Úvaly"_s
            << head + "[TFmozno]\r\nEditnazev_Text=ZD \xDAvaly\r\n" + tail;
        QTest::newRow("the value holding the bytes, written back as read")
            << u"TFmozno"_s << u"Editnazev_Text"_s << QStringLiteral("ZD Ĺ\uFFFD\uFFFD") << QByteArray();
        QTest::newRow("the last line, without an end")
            << u"Dnes"_s << u"Datum"_s << u"2026-12-11"_s << head + moz + "[Dnes]\r\nDatum=2026-12-11";
        QTest::newRow("a new section after the last line")
            << u"TFmozno2"_s << u"X"_s << u"1"_s << head + moz + tail + "\r\n\r\n[TFmozno2]\r\nX=1\r\n";
    }
    void undefinedBytesNeverBlockWriting()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, expected);
        const QByteArray original = "; koment\xC5\x98\x81\r\n[TForm1]\r\nLabel1_Caption=101\r\nPopis=\xC5\x98\x81\n"
                                    "[TFmozno]\r\nEditnazev_Text=ZD \xC5\x98\x98\r\n[Dnes]\r\nDatum=2020-01-01";
        writeBytes(moduleIniPath(), original);
        const IniFile ini(moduleIniPath());
        // A value holding such a byte is shown as it decodes.
        QCOMPARE(ini.readString(QStringLiteral("TFmozno"), QStringLiteral("Editnazev_Text")),
            QStringLiteral("ZD Ĺ\uFFFD\uFFFD"));
        ini.writeString(section, key, value);
        QCOMPARE(readBytes(moduleIniPath()), expected.isEmpty() ? original : expected);
        QCOMPARE(ini.readString(section, key), value);
    }

    // What made every start complain: the day stamp of a file with such a byte.
    void dayStampInAFileWithUndefinedBytes()
    {
        const QByteArray original = "[TFmozno]\r\nEditnazev_Text=\xC5\x98\x65pka\r\n";
        writeBytes(moduleIniPath(), original);
        QVERIFY(!settings::dayStamp(QStringLiteral("pelmixi")));
        QVERIFY(settings::dayStamp(QStringLiteral("pelmixi")));
        QCOMPARE(readBytes(moduleIniPath()),
            original + "\r\n[Dnes]\r\nDatum=" + QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")).toLatin1()
                + "\r\n");
        settings::writeWindowValue(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption"), QStringLiteral("101"));
        QCOMPARE(settings::readWindowValue(QStringLiteral("TForm1"), QStringLiteral("Label1_Caption")),
            QStringLiteral("101"));
        QVERIFY(readBytes(moduleIniPath()).startsWith(original));
    }

    // Several keys in one write: a value the code page cannot hold stores none of them.
    void severalKeysAllOrNothing()
    {
        const QByteArray original = "[TFmozno]\r\nEditnazev_Text=ZD\r\n";
        writeBytes(moduleIniPath(), original);
        const IniFile ini(moduleIniPath());
        try {
            ini.writeStrings(QStringLiteral("TFmozno"),
                { { QStringLiteral("Editnazev_Text"), QStringLiteral("ZD Úvaly") },
                    { QStringLiteral("Editsidlo_Text"), QStringLiteral("Úvaly") },
                    { QStringLiteral("EditEmail_Text"), QStringLiteral("zd😀@uvaly.cz") } });
            QFAIL("a value outside code page 1250 was written");
        } catch (const cp1250::EncodingError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("EditEmail_Text")), qPrintable(e.message()));
        }
        QCOMPARE(readBytes(moduleIniPath()), original);
        // Nor does a line break, which would make a line of its own in the file.
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
            ini.writeStrings(QStringLiteral("TFmozno"),
                { { QStringLiteral("Editnazev_Text"), QStringLiteral("ZD Úvaly") },
                    { QStringLiteral("Editsidlo_Text"), QStringLiteral("Úvaly\r\n[LogON]\r\nUser=root") } }));
        QCOMPARE(readBytes(moduleIniPath()), original);
        ini.writeStrings(QStringLiteral("TFmozno"),
            { { QStringLiteral("Editnazev_Text"), QStringLiteral("ZD Úvaly") },
                { QStringLiteral("Editsidlo_Text"), QStringLiteral("Úvaly") } });
        QCOMPARE(readBytes(moduleIniPath()),
            QByteArray("[TFmozno]\r\nEditnazev_Text=ZD \xDAvaly\r\nEditsidlo_Text=\xDAvaly\r\n"));
    }

    void unencodableCharacterIsNamedWhole_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("character");
        QTest::addColumn<QString>("codePoint");
        QTest::newRow("all held") << QStringLiteral("Příliš „€“") << -1 << QString() << QString();
        QTest::newRow("Cyrillic") << QStringLiteral("1Пр") << 1 << QStringLiteral("П") << QStringLiteral("U+041F");
        QTest::newRow("emoji, one character")
            << QStringLiteral("ab😀") << 2 << QStringLiteral("😀") << QStringLiteral("U+1F600");
        QTest::newRow("undefined byte as decoded")
            << QStringLiteral("x\uFFFD") << 1 << QStringLiteral("\uFFFD") << QStringLiteral("U+FFFD");
    }
    void unencodableCharacterIsNamedWhole()
    {
        QFETCH(QString, text);
        QFETCH(int, index);
        QFETCH(QString, character);
        QFETCH(QString, codePoint);
        const cp1250::Unencodable u = cp1250::firstUnencodableCharacter(text);
        QCOMPARE(int(u.index), index);
        QCOMPARE(u.character, character);
        QCOMPARE(u.codePoint, codePoint);
        QCOMPARE(u.isEmpty(), index < 0);
    }

    void legacyFilesAreFoundInAnyLetterCase()
    {
        writeBytes(m_dir.path() + QStringLiteral("/suite/TAVRIX05.INI"), "[LogON]\r\nDatabase=zavod\r\n");
        QCOMPARE(settings::readConnectionSettings().database, QStringLiteral("zavod"));
        writeBytes(programDir() + QStringLiteral("/Stredi.SEZ"), "101\r\n");
        QCOMPARE(paths::findCaseInsensitive(programDir(), QStringLiteral("stredi.sez")), programDir() + QStringLiteral("/Stredi.SEZ"));
        QCOMPARE(paths::findCaseInsensitive(programDir(), QStringLiteral("logo.bmp")), programDir() + QStringLiteral("/logo.bmp"));
    }

    void workstationNumberMustBeATableNamePart_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("valid");
        QTest::newRow("00") << QStringLiteral("00") << true;
        QTest::newRow("DU") << QStringLiteral("DU") << true;
        QTest::newRow("pc_7") << QStringLiteral("pc_7") << true;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("quote") << QStringLiteral("0'1") << false;
        QTest::newRow("blank") << QStringLiteral("0 1") << false;
        QTest::newRow("backtick") << QStringLiteral("0`; drop table x") << false;
    }
    void workstationNumberMustBeATableNamePart()
    {
        QFETCH(QString, value);
        QFETCH(bool, valid);
        QCOMPARE(settings::isValidCisloPC(value), valid);
    }
};

QTEST_GUILESS_MAIN(TestConfig)
#include "tst_config.moc"
