// Every language set carries every identifier, with the same placeholders and
// the same menu; libraries load from a full path only and an incomplete one
// never replaces the built-in texts.
#include "ListFileDialogsQt.h"
#include "MessageBox.h"
#include "Seams.h"
#include "ShellFakes.h"
#include "QtMessageSink.h"
#include "ResIds.h"
#include "Resources.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <set>

namespace {

// Every string identifier that the windows, the lists, the loaders and the
// definition dialogs ask for.
const int kRequiredStrings[] = {
    128,   3000,  3001,  3002,  3003,  3004,  3005,  3006,  3010,  3011,  3012,  3013,  3014,  3015,  3016,
    3017,  3040,  3041,  3042,  3043,  3044,  3045,  3046,  3047,  3050,  3051,  3055,  3056,  3057,  3058,
    3060,  3061,  3065,  3066,  3070,  3080,  3081,  3100,  3102,  3201,  3202,  3205,  4000,  4001,  4003,
    4005,  4006,  4007,  4008,  4009,  4010,  4012,  4013,  4014,  4015,  4016,  4018,  4019,  4020,  4021,
    4022,  4023,  4024,  4025,  4026,  4027,  4028,  4029,  4030,  4031,  4032,  4033,  4034,  4035,  4036,
    4037,  4038,  4039,  4040,  4101,  4102,  4103,  4104,  4106,  4107,  4109,  4110,  4111,  32771, 32772,
    32773, 32775, 32777, 32780, 32781, 32782, 32783, 32784, 32785, 32786, 32787, 32788, 32789, 32790, 32793,
    32794, 57345, 57616, 57664, 57665, 57680, 57681, 59137, 59138, 59139, 59392, 59393};

// Dialog templates whose texts the windows and dialogs take.
const int kRequiredDialogs[] = {IDD_ABOUTBOX, IDD_DEFLIST, IDD_REFLIST, IDD_CAN,   IDD_LOGIC,       IDD_SEARCH,
                                IDD_FLEXRAY,  IDD_LIN,     IDD_BITGRID, IDD_J1939, IDD_BITGRID_PAGE};

// File vocabulary and names that must read the same in every language.
const int kSameInEveryLanguage[] = {3050, 3051, 3055, 3056, 3057, 3058, 3060, 3061,
                                    3065, 3066, 3080, 3081, 3100, 3201, 3202, 3205};

CResourceSet ReadSource(const QString& file) {
  QFile f(QStringLiteral(VR_RES_LANG_DIR "/") + file);
  CResourceSet set;
  QString error;
  if (!f.open(QIODevice::ReadOnly) || !set.Parse(f.readAll(), &error)) qWarning() << file << error;
  return set;
}

QStringList Placeholders(const QString& text) {
  QStringList out;
  static const QRegularExpression re(QStringLiteral("%[sdX%]"));
  for (auto it = re.globalMatch(text); it.hasNext();) {
    const QString m = it.next().captured();
    if (m != QStringLiteral("%%")) out << m;
  }
  return out;
}

void MenuIds(const std::vector<MenuNode>& nodes, std::vector<int>* ids) {
  for (const MenuNode& n : nodes) {
    ids->push_back(n.kind == MenuNode::Item ? n.id : n.kind == MenuNode::Popup ? -1 : -2);
    if (n.kind == MenuNode::Popup) MenuIds(n.children, ids);
  }
}

}  // namespace

class ResourceTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void cleanup() { vrres::UseBuiltin(); }

  void builtinHoldsEveryRequiredIdentifier() {
    const CResourceSet& ja = vrres::Builtin();
    for (int id : kRequiredStrings)
      QVERIFY2(ja.HasString(id) && !ja.String(id).isEmpty(), qPrintable(QString::number(id)));
    for (int id : kRequiredDialogs) QVERIFY2(ja.HasDialog(id), qPrintable(QString::number(id)));
    QVERIFY(ja.Menu(IDR_MAINFRAME) != nullptr);
    QCOMPARE(vrres::AppTitle(), QStringLiteral("Vestrel"));
    QCOMPARE(ja.String(3205), QStringLiteral("R4417QX-J.pdf"));
    QCOMPARE(ja.DialogText(IDD_REFLIST, QStringLiteral("1004")), QStringLiteral("参照リスト"));
    QCOMPARE(ja.DialogText(IDD_SEARCH, QStringLiteral("caption")), QStringLiteral("メッセージ検索"));
  }

  void everyLanguageHasExactlyTheSameKeys_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("en") << QStringLiteral("en.vrs");
    QTest::newRow("zh_CN") << QStringLiteral("zh_CN.vrs");
  }
  void everyLanguageHasExactlyTheSameKeys() {
    QFETCH(QString, file);
    const CResourceSet ja = ReadSource(QStringLiteral("ja.vrs"));
    const CResourceSet other = ReadSource(file);
    QVERIFY(!other.IsEmpty());
    QCOMPARE(vrres::MissingKeys(other), QStringList());
    QCOMPARE(other.StringIds(), ja.StringIds());
    QCOMPARE(other.DialogIds(), ja.DialogIds());
    for (int d : ja.DialogIds()) QCOMPARE(other.DialogKeys(d), ja.DialogKeys(d));
    std::vector<int> jaMenu, otherMenu;
    MenuIds(*ja.Menu(IDR_MAINFRAME), &jaMenu);
    MenuIds(*other.Menu(IDR_MAINFRAME), &otherMenu);
    QCOMPARE(otherMenu, jaMenu);
    for (int id : ja.StringIds()) {
      // Arguments are filled in order, so every translation keeps the order.
      QVERIFY2(Placeholders(other.String(id)) == Placeholders(ja.String(id)), qPrintable(QString::number(id)));
      // A command string keeps its prompt and its tooltip.
      QCOMPARE(other.String(id).count(u'\n'), ja.String(id).count(u'\n'));
      // Filters keep the "description|pattern|" form and the same patterns.
      if (id >= 3000 && id <= 3006) {
        QCOMPARE(other.String(id).count(u'|'), 2);
        QCOMPARE(other.String(id).section(u'|', 1, 1), ja.String(id).section(u'|', 1, 1));
      }
    }
    for (int id : kSameInEveryLanguage) QCOMPARE(other.String(id), ja.String(id));
  }

  void librariesLoadFromTheirFullPath_data() {
    QTest::addColumn<QString>("library");
    QTest::addColumn<QString>("tip");
    QTest::newRow("English") << QStringLiteral("VrEngRc.rcc") << QStringLiteral("Add definition");
    QTest::newRow("Chinese") << QStringLiteral("VrChsRc.rcc") << QStringLiteral("添加定义");
  }
  void librariesLoadFromTheirFullPath() {
    QFETCH(QString, library);
    QFETCH(QString, tip);
    QVERIFY(vrres::LoadLanguageLibrary(QStringLiteral(VR_RCC_DIR "/") + library));
    QVERIFY(vrres::LibraryActive());
    QCOMPARE(vrres::LoadString(IDS_TIP_ADD_DEFINITION), tip);
    QCOMPARE(vrres::MissingKeys(vrres::Active()), QStringList());
    vrres::UseBuiltin();
    QCOMPARE(vrres::LoadString(IDS_TIP_ADD_DEFINITION), QStringLiteral("定義追加"));
  }

  void aLibraryThatCannotBeUsedKeepsTheBuiltinTexts() {
    QVERIFY(!vrres::LoadLanguageLibrary(QStringLiteral(VR_RCC_DIR "/NoSuchRc.rcc")));
    // A bare name would be looked for along a search path: refused.
    QVERIFY(!vrres::LoadLanguageLibrary(QStringLiteral("VrEngRc.rcc")));
    QVERIFY(!vrres::LoadLanguageLibrary(QString()));
    // A library without every key is refused whole.
    QVERIFY(!vrres::LoadLanguageLibrary(QStringLiteral(VR_TEST_RCC_DIR "/VrBrokenRc.rcc")));
    QVERIFY(!vrres::LibraryActive());
    QCOMPARE(vrres::LoadString(4000), QStringLiteral("データがありません。"));
    // A refused library after a good one leaves the good one in use.
    QVERIFY(vrres::LoadLanguageLibrary(QStringLiteral(VR_RCC_DIR "/VrEngRc.rcc")));
    QVERIFY(!vrres::LoadLanguageLibrary(QStringLiteral(VR_TEST_RCC_DIR "/VrBrokenRc.rcc")));
    QCOMPARE(vrres::LoadString(4000), QStringLiteral("There is no data."));
  }

  // Texts of the built-in set that the program must show exactly so: column
  // titles, button tooltips, captions, file vocabulary and names.
  void builtinTextsStandAsTheyAre_data() {
    QTest::addColumn<int>("dialog");  // 0: string table
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    const struct {
      int dialog;
      const char* key;
      const char* text;
    } rows[] = {
        {0, "3010", "Message"},
        {0, "3011", "Id"},
        {0, "3012", "Signal"},
        {0, "3013", "Group"},
        {0, "3014", "Bit"},
        {0, "3015", "Symbol name"},
        {0, "3016", "Bit pattern"},
        {0, "3017", "No."},
        {0, "3040", "参照"},
        {0, "3041", "定義表示"},
        {0, "3042", "定義追加"},
        {0, "3043", "開く"},
        {0, "3044", "新規定義"},
        {0, "3045", "定義編集"},
        {0, "3046", "定義削除"},
        {0, "3047", "保存"},
        {0, "3050", "STD"},
        {0, "3051", "XTD"},
        {0, "3055", "Unsigned"},
        {0, "3056", "Signed"},
        {0, "3057", "Float"},
        {0, "3058", "Double"},
        {0, "3060", "LITTLE"},
        {0, "3061", "BIG"},
        {0, "3065", "MSB First"},
        {0, "3066", "LSB First"},
        {0, "3070", "検索"},
        {0, "3080", "Classic"},
        {0, "3081", "Enhanced"},
        {0, "3100", "NoName"},
        {0, "3205", "R4417QX-J.pdf"},
        {0, "128", "Vestrel\n\nVestrel\n\n\nVestrel.Document\nVestrel.Document"},
        {IDD_ABOUTBOX, "caption", "バージョン情報"},
        {IDD_REFLIST, "1004", "参照リスト"},
        {IDD_DEFLIST, "1005", "定義リスト"},
        {IDD_SEARCH, "caption", "メッセージ検索"},
        {IDD_SEARCH, "1013", "参照リスト"},
        {IDD_SEARCH, "1014", "定義リスト"},
    };
    for (const auto& r : rows)
      QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(r.dialog).arg(QString::fromLatin1(r.key))))
          << r.dialog << QString::fromLatin1(r.key) << QString::fromUtf8(r.text);
  }
  void builtinTextsStandAsTheyAre() {
    QFETCH(int, dialog);
    QFETCH(QString, key);
    QFETCH(QString, text);
    const CResourceSet& ja = vrres::Builtin();
    QCOMPARE(dialog == 0 ? ja.String(key.toInt()) : ja.DialogText(dialog, key), text);
  }

  void messagesTakeTheirArgumentsWithoutReadingUserTextAsFormat() {
    QVERIFY(vrres::LoadLanguageLibrary(QStringLiteral(VR_RCC_DIR "/VrEngRc.rcc")));
    QCOMPARE(MessageText(4012, {"100%s%d"}), QStringLiteral("\"100%s%d\" was not found."));
    QCOMPARE(MessageText(4019, {500}), QStringLiteral("No more than 500 can be added. The operation is stopped."));
    QCOMPARE(MessageText(4015, {"MSG", "SIG"}),
             QStringLiteral("A signal of this encoding cannot be added.\nMSG (SIG)"));
    // Names are CP932 bytes: "ｱ" (0xB1) and "日" (0x93 0xFA).
    QCOMPARE(MessageText(4024, {std::string("\xB1\x93\xFA")}), QStringLiteral("ｱ日 is already defined."));
  }

  void malformedSourcesAreRefused_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("entry outside a section") << QByteArray("4000\tx\n");
    QTest::newRow("duplicate string") << QByteArray("[strings]\n4000\ta\n4000\tb\n");
    QTest::newRow("identifier not a number") << QByteArray("[strings]\nabc\tx\n");
    QTest::newRow("popup left open") << QByteArray("[menu 128]\npopup\tFile\nitem\t1\tA\n");
    QTest::newRow("end without popup") << QByteArray("[menu 128]\nend\n");
    QTest::newRow("unknown section") << QByteArray("[icons]\n");
    QTest::newRow("duplicate dialog key") << QByteArray("[dialog 100]\n1\tOK\n1\tOK\n");
  }
  void malformedSourcesAreRefused() {
    QFETCH(QByteArray, text);
    CResourceSet set;
    QString error;
    QVERIFY(!set.Parse(text, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(set.IsEmpty());
  }

  void filterIdentifiersBecomeCaseFreeQtFilters() {
    const QString text = FilterTextOf({IDS_FILTER_CAN_ALL, IDS_FILTER_DBC, IDS_FILTER_SBL});
    QVERIFY(text.endsWith(QStringLiteral("|*.sbl||")));
    const QStringList filters = QtNameFilters(text);
    QCOMPARE(filters.size(), 3);
    QCOMPARE(filters[0], QStringLiteral("読み込み可能なファイル (*.dbc; *.sbl) (*.[dD][bB][cC] *.[sS][bB][lL])"));
    QCOMPARE(filters[2], QStringLiteral("定義ファイル (*.sbl) (*.[sS][bB][lL])"));
    // The list logic's requests reach the file-dialog service with that text.
    FakeFileDialogs dialogs;
    dialogs.answers = {"/tmp/a.dbc", ""};
    CListFileDialogsQt qt(nullptr);
    FileDialogRequest request;
    request.filterIds = {IDS_FILTER_SBL};
    request.folder = "/tmp";
    request.fileName = "a.sbl";
    std::string path;
    QVERIFY(qt.AskOpenPath(request, path));
    QCOMPARE(path, std::string("/tmp/a.dbc"));
    QVERIFY(!qt.AskSavePath(request, path));
    QCOMPARE(dialogs.asked.size(), size_t(2));
    QCOMPARE(dialogs.asked[0].filterText, QStringLiteral("定義ファイル (*.sbl)|*.sbl||"));
    QCOMPARE(dialogs.asked[1].folder, std::string("/tmp"));
    QCOMPARE(dialogs.asked[1].fileName, std::string("a.sbl"));
  }

  void escapesAndPromptParts() {
    CResourceSet set;
    QVERIFY(set.Parse("[strings]\n1\tPrompt\\nTip\n2\ta\\\\n\\tb\n"));
    QCOMPARE(PromptPart(set.String(1)), QStringLiteral("Prompt"));
    QCOMPARE(TipPart(set.String(1)), QStringLiteral("Tip"));
    QCOMPARE(set.String(2), QStringLiteral("a\\n\tb"));
    QCOMPARE(TipPart(QStringLiteral("no tip")), QString());
  }
};

QTEST_MAIN(ResourceTest)
#include "ResourceTest.moc"
