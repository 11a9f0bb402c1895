// The explore windows driven as a user drives them, on a temporary registry
// and a folder fixture: the tree's places and servers, opening by double
// click, Enter and typed names, the Save As window's questions and refusals,
// and what the windows keep for the next one.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QMdiArea>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

#include "platform/registry.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/tests/shelltest.h"
#include "workbench/explorer/view/driveview.h"
#include "workbench/explorer/view/exploredoc.h"
#include "workbench/explorer/view/exploreframe.h"
#include "workbench/explorer/view/fileview.h"
#include "workbench/framework/fwcommandtable.h"
#include "workbench/framework/fwwindows.h"
#include "workbench/framework/tests/fwtest.h"
#include "workbench/shell/controls/filecombos.h"
#include "workbench/shell/frames/mainframe.h"
#include "workbench/shell/frames/tests/shellwindowtest.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/neighbours.h"
#include "workbench/server/srvconn.h"
#include "workbench/server/tests/serverentry.h"
#include "tests/support/readonly.h"
#include "tests/support/standin.h"
#include "tests/support/testsupport.h"

namespace fs = std::filesystem;

namespace {

// Answers boxes from a queue (then with the default answer).
class AnsweringSink : public RecordingSink {
 public:
  int message_box(void* owner, const char* caption, const char* text, unsigned style) override {
    RecordingSink::message_box(owner, caption, text, style);
    if (answers.empty()) return answer;
    const int a = answers.front();
    answers.pop_front();
    return a;
  }
  std::deque<int> answers;
};

struct OpenCall {
  std::string path;
  int mode;
  bool read_only, create;
  bool operator==(const OpenCall&) const = default;
};

class FakeProgram : public ProgramLink {
 public:
  bool Plugged() const override { return true; }
  bool OpenRequest(const char* path, int mode, bool read_only, bool create) override {
    calls.push_back({path, mode, read_only, create});
    return true;
  }
  bool IsOpen(const char* path) const override { return open.count(path) != 0; }
  std::vector<OpenCall> calls;
  std::set<std::string> open;
};

// A document that saves its text to a file.
class FakeDocument : public SaveAsDocument {
 public:
  std::string SaveAsTitle() const override { return "Prog1"; }
  int SaveAsFileMode() const override { return format; }
  void SetSaveAsFormat(int f) override { format = f; }
  bool SaveAsPath(const std::string& path) override {
    std::ofstream out(path, std::ios::binary);
    if (!out || !(out << "saved")) return false;
    saved.push_back(path);
    return true;
  }
  int format = CfgFileMode_Text_LF;
  std::vector<std::string> saved;
};

class Explorer : public ShellWindowTest {
 protected:
  static void SetUpTestSuite() { UseTemporaryProfile("explorer-guitest"); }

  void SetUp() override {
    char templ[] = "/tmp/explorer-files-XXXXXX";
    root = mkdtemp(templ);
    fs::create_directories(root + "/sub/deeper");
    fs::create_directories(root + "/Another");
    Write("b.txt", "bb");
    Write("a.txt", "aaaa");
    Write("with blank.txt", "x");
    Write(std::string("bad\xff.txt"), "x");
    Write("quote\"d.txt", "x");
    ShellNeighbours& n = Shell_Neighbours();
    n.program = &program;
    ASSERT_NO_FATAL_FAILURE(StartShell());
    windows = Explorer_Install(app->m_Explore, app->m_Config, &app->m_MruFiles);
  }

  void TearDown() override {
    for (CExploreDoc* d : windows->Documents())
      if (CExploreFrame* f = d->Frame()) f->close();
    QCoreApplication::processEvents();
    windows.reset();
    StopShell();
    Shell_ResetNeighbours();
    fs::permissions(root + "/", fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(root);
  }

  void Write(const std::string& name, const std::string& text) { std::ofstream(root + "/" + name) << text; }

  // A new Open window showing the fixture folder.
  CExploreDoc* OpenWindow() {
    windows->NewExplorer();
    CExploreDoc* doc = windows->Documents().back();
    EXPECT_TRUE(doc->GetDriveView()->SelectPath(root, true));
    doc->Frame()->TopBar()->Filter()->SetType(2);  // "All Files"
    return doc;
  }
  static CFileView* List(CExploreDoc* d) { return d->GetFileView(); }
  static QLineEdit* Field(CExploreDoc* d) { return d->Frame()->BottomBar()->GetWndFileName(); }
  static std::vector<std::string> Names(CExploreDoc* d) {
    std::vector<std::string> names;
    for (const ExploreRow& r : List(d)->Rows()) names.push_back(r.name);
    return names;
  }
  // The details row of a name.
  static QModelIndex IndexOf(CExploreDoc* d, const std::string& name) {
    QAbstractItemModel* m = List(d)->Details()->model();
    for (int r = 0; r < m->rowCount(); ++r)
      if (List(d)->Rows()[static_cast<size_t>(m->index(r, 0).data(Qt::UserRole).toULongLong())].name == name)
        return m->index(r, 0);
    return {};
  }
  static void DoubleClick(CExploreDoc* d, const std::string& name) {
    QTreeView* v = List(d)->Details();
    const QModelIndex index = IndexOf(d, name);
    ASSERT_TRUE(index.isValid()) << name;
    const QPoint at = v->visualRect(index).center();
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(v->viewport(), Qt::LeftButton, {}, at);
  }
  static void Type(CExploreDoc* d, const QString& text) {
    QLineEdit* field = Field(d);
    field->clear();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
  }

  // Runs `inside` once the Save As window is up, then DoSaveAs's result.
  int SaveAs(FakeDocument& doc, const std::string& proposed, std::function<void(CExploreDoc*)> inside) {
    QTimer::singleShot(0, [this, inside] {
      CExploreDoc* d = windows->SaveAsDoc();
      ASSERT_NE(d, nullptr);
      inside(d);
      // A window still open after the steps fails the test instead of waiting.
      QTimer::singleShot(0, [this] { windows->CloseSaveAs(); });
    });
    return CExploreDoc::DoSaveAs(&doc, proposed, nullptr);
  }

  std::string root;
  AnsweringSink sink;
  FakeProgram program;
  std::unique_ptr<ExplorerWindows> windows;
};

TEST_F(Explorer, TreeShowsThePlacesAndTheConfiguredServer) {
  const std::string entry = Cfg_ListAppendUnique("Server", "progsrv");
  Cfg_PutString(entry.c_str(), "Title", "Program Server");
  windows->NewExplorer();
  CExploreDoc* doc = windows->Documents().back();
  // The file-name field takes what is typed first.
  EXPECT_TRUE(QTest::qWaitFor([&] { return Field(doc)->hasFocus(); }, 2000));
  ExploreNode& computer = doc->GetDriveView()->Tree().Root();
  EXPECT_EQ(computer.text, "My Computer");
  ASSERT_GE(computer.children.size(), 2u);
  EXPECT_EQ(computer.children.front()->path, "/");
  EXPECT_EQ(computer.children.back()->path, "progsrv://");
  QTreeWidgetItem* server = doc->GetDriveView()->ItemOf(computer.children.back().get());
  ASSERT_NE(server, nullptr);
  EXPECT_EQ(server->text(0), "Program Server");
  EXPECT_EQ(doc->Frame()->windowTitle(), "Open");
  Cfg_ListClear("Server");

  // A folder lists; "My Computer" empties the list.
  ASSERT_TRUE(doc->GetDriveView()->SelectPath(root, true));
  EXPECT_EQ(doc->Frame()->windowTitle().toStdString(), "Open [" + root + "]");
  EXPECT_FALSE(List(doc)->Rows().empty());
  ASSERT_TRUE(doc->GetDriveView()->SelectPath("", true));
  EXPECT_TRUE(List(doc)->Rows().empty());
  EXPECT_EQ(List(doc)->Details()->model()->rowCount(), 0);

  // A deep folder shows its whole name where the tree scrolls to it.
  const std::string deep = root + "/one/two/three/four/five/six/a folder with a rather long name";
  fs::create_directories(deep);
  ASSERT_TRUE(doc->GetDriveView()->SelectPath(deep, true));
  QTreeWidget* tree = doc->GetDriveView()->Widget();
  QTreeWidgetItem* shown = tree->currentItem();
  ASSERT_NE(shown, nullptr);
  ASSERT_EQ(shown->text(0).toStdString(), "a folder with a rather long name");
  QCoreApplication::processEvents();
  const QRect at = tree->visualItemRect(shown);
  EXPECT_GE(at.width(), tree->fontMetrics().horizontalAdvance(shown->text(0)) + tree->iconSize().width());
  EXPECT_TRUE(tree->viewport()->rect().intersects(at));

  // A path that is not there is reported, one of no known form too.
  EXPECT_FALSE(doc->GetDriveView()->SelectPath(root + "/missing", true));
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].caption, "Cannot Change Directory");
  EXPECT_EQ(sink.boxes[0].text, "The directory \"" + root + "/missing\"\ndoes not exist or cannot be accessed.");
  EXPECT_EQ(sink.boxes[0].style, unsigned{SHELL_MB_OK | SHELL_MB_ICONSTOP});
  EXPECT_FALSE(doc->GetDriveView()->SelectPath("nosuch://x", true));
  EXPECT_EQ(sink.boxes.back().text, "Path prefix not handled:\nnosuch://x");
}

TEST_F(Explorer, AProgramServerOfTheListShowsItsFoldersAndOpensItsFiles) {
  vtest::TempDir files;
  fs::create_directories(files.file("progs/lib/old"));
  fs::create_directories(files.file("empty"));
  vtest::write_file(files.file("progs/main.PROG"), "YQ.PROG");
  vtest::write_file(files.file("progs/notes.txt"), "notes\n");
  vtest::write_file(files.file("progs/lib/util.PROG"), "YQ.PROG");
  vtest::StandIn server("progserver", {"--root", files.path()});
  Cfg_ListClear("Server");
  const std::string entry = Test_ListServer("localhost", server.service());
  Cfg_PutString(entry.c_str(), "Title", "Stand-in");
  auto listings = [&server] {
    const std::string log = server.log();
    int n = 0;
    for (size_t at = log.find("# list "); at != std::string::npos; at = log.find("# list ", at + 1)) ++n;
    return n;
  };

  windows->NewExplorer();
  CExploreDoc* doc = windows->Documents().back();
  doc->Frame()->TopBar()->Filter()->SetType(2);  // "All Files"
  CDriveView* drives = doc->GetDriveView();
  ExploreNode& computer = drives->Tree().Root();
  ASSERT_GE(computer.children.size(), 2u);
  EXPECT_EQ(computer.children.front()->path, "/");
  ExploreNode& node = *computer.children.back();
  EXPECT_EQ(node.path, "localhost://");
  EXPECT_EQ(node.image, EXPLORE_IMAGE_REMOTE);
  QTreeWidgetItem* item = drives->ItemOf(&node);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->text(0), "Stand-in");
  EXPECT_EQ(listings(), 0) << "the server is asked only when it is opened";

  // The server's top level, then one of its folders.
  ASSERT_TRUE(drives->SelectPath("localhost://", true)) << server.log();
  EXPECT_EQ(doc->CurrentPath(), "localhost://");
  EXPECT_EQ(Names(doc), (std::vector<std::string>{"empty", "progs"}));
  ASSERT_TRUE(drives->SelectPath("localhost://progs", true));
  EXPECT_EQ(Names(doc), (std::vector<std::string>{"lib", "main.PROG", "notes.txt"}));
  EXPECT_EQ(Explore_RowImage(List(doc)->Rows()[1]), EXPLORE_IMAGE_PROGRAM);

  // Expanding the folder the list shows takes its subfolders from the list:
  // the server is not asked again.
  const int before = listings();
  QTreeWidgetItem* progs = drives->Widget()->currentItem();
  progs->setExpanded(true);
  ASSERT_EQ(progs->childCount(), 1);
  EXPECT_EQ(progs->child(0)->text(0), "lib");
  EXPECT_GT(progs->child(0)->childCount(), 0) << "lib has a subfolder: it shows an expand button";
  EXPECT_EQ(listings(), before) << server.log();

  // A typed folder name navigates on the server; a file opens under its
  // server path. ".." up to "My Computer" empties the list.
  Type(doc, "lib");
  EXPECT_EQ(doc->CurrentPath(), "localhost://progs/lib");
  EXPECT_EQ(Names(doc), (std::vector<std::string>{"old", "util.PROG"}));
  DoubleClick(doc, "util.PROG");
  ASSERT_EQ(program.calls.size(), 1u);
  EXPECT_EQ(program.calls[0], (OpenCall{"localhost://progs/lib/util.PROG", CfgFileMode_Auto, false, false}));
  // ".." goes up to the server's top, then to the computer.
  Type(doc, "..");
  EXPECT_EQ(doc->CurrentPath(), "localhost://progs");
  Type(doc, "..");
  EXPECT_EQ(doc->CurrentPath(), "localhost://");
  Type(doc, "..");
  EXPECT_EQ(doc->CurrentPath(), "");
  EXPECT_TRUE(List(doc)->Rows().empty());

  EXPECT_EQ(List(doc)->Details()->model()->rowCount(), 0);
  EXPECT_TRUE(sink.boxes.empty()) << sink.boxes.front().caption << ": " << sink.boxes.front().text;
  SrvConn::CloseAll();
  Cfg_ListClear("Server");
}

TEST_F(Explorer, ListShowsTheRowsInTheModelsOrderAndSortsByHeader) {
  CExploreDoc* doc = OpenWindow();
  const std::vector<std::string> expected = {"Another",     "sub",          "a.txt",         "b.txt",
                                             "bad\xff.txt", "quote\"d.txt", "with blank.txt"};
  EXPECT_EQ(Names(doc), expected);
  // On screen: the rows top to bottom in that order, their names shown.
  QTreeView* v = List(doc)->Details();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(v));
  int last_y = -1;
  for (const std::string& name : expected) {
    const QModelIndex index = IndexOf(doc, name);
    const QRect r = v->visualRect(index);
    EXPECT_GT(r.top(), last_y) << name;
    last_y = r.top();
    EXPECT_EQ(v->indexAt(r.center()), index) << name;
  }
  // The filter: folders always, files of the chosen kind.
  doc->Frame()->TopBar()->Filter()->SetType(0);  // program files
  EXPECT_EQ(Names(doc), (std::vector<std::string>{"Another", "sub"}));
  Write("x.PROG", "");
  doc->Frame()->TopBar()->Filter()->SetType(1);  // text files
  EXPECT_EQ(Names(doc).size(), expected.size());
  doc->Frame()->TopBar()->Filter()->SetType(0);
  EXPECT_EQ(Names(doc), (std::vector<std::string>{"Another", "sub", "x.PROG"}));
  std::remove((root + "/x.PROG").c_str());
  doc->Frame()->TopBar()->Filter()->SetType(2);

  // Size: folders stay first, then the files by size.
  QTest::mouseClick(v->header()->viewport(), Qt::LeftButton, {},
                    QPoint(v->header()->sectionViewportPosition(EXPLORE_COLUMN_SIZE) + 5, 5));
  EXPECT_EQ(List(doc)->SortColumn(), EXPLORE_COLUMN_SIZE);
  const std::vector<std::string> names = Names(doc);
  EXPECT_EQ(names[0], "Another");
  EXPECT_EQ(names[1], "sub");
  EXPECT_EQ(names.back(), "a.txt");  // the largest
  EXPECT_EQ(names[names.size() - 2], "b.txt");
}

TEST_F(Explorer, FilesOpenByDoubleClickByEnterAndByTypedNames) {
  CExploreDoc* doc = OpenWindow();
  DoubleClick(doc, "b.txt");
  ASSERT_EQ(program.calls.size(), 1u);
  EXPECT_EQ(program.calls[0], (OpenCall{root + "/b.txt", CfgFileMode_Auto, false, false}));

  // Enter on the selected row; the read-only check and the open mode go along.
  doc->Frame()->TopBar()->ReadOnly()->click();
  doc->Frame()->TopBar()->OpenAs()->setCurrentIndex(2);  // "Text File"
  QTreeView* v = List(doc)->Details();
  v->setFocus();
  v->setCurrentIndex(IndexOf(doc, "a.txt"));
  QTest::keyClick(v, Qt::Key_Return);
  ASSERT_EQ(program.calls.size(), 2u);
  EXPECT_EQ(program.calls[1], (OpenCall{root + "/a.txt", CfgFileMode_Text_CRLF, true, false}));
  doc->Frame()->TopBar()->ReadOnly()->click();
  doc->Frame()->TopBar()->OpenAs()->setCurrentIndex(0);

  // Names kept as bytes: blanks, quotes and bytes that are not UTF-8.
  program.calls.clear();
  for (const std::string name : {"with blank.txt", "quote\"d.txt", "bad\xff.txt"}) DoubleClick(doc, name);
  ASSERT_EQ(program.calls.size(), 3u);
  EXPECT_EQ(program.calls[0].path, root + "/with blank.txt");
  EXPECT_EQ(program.calls[1].path, root + "/quote\"d.txt");
  EXPECT_EQ(program.calls[2].path, root + "/bad\xff.txt");

  // Several typed names, one quoted with a blank; a relative path.
  program.calls.clear();
  Type(doc, "a.txt \"with blank.txt\" sub/../b.txt");
  ASSERT_EQ(program.calls.size(), 3u);
  EXPECT_EQ(program.calls[1].path, root + "/with blank.txt");
  EXPECT_EQ(program.calls[2].path, root + "/b.txt");
  EXPECT_TRUE(sink.boxes.empty());
}

TEST_F(Explorer, TypedFolderNamesNavigateAndUpGoesBack) {
  CExploreDoc* doc = OpenWindow();
  Type(doc, "sub");
  EXPECT_EQ(doc->CurrentPath(), root + "/sub");
  EXPECT_TRUE(Field(doc)->text().isEmpty());
  EXPECT_EQ(Names(doc), std::vector<std::string>{"deeper"});
  Type(doc, ".");
  EXPECT_EQ(doc->CurrentPath(), root + "/sub");
  Type(doc, "..");
  EXPECT_EQ(doc->CurrentPath(), root);
  // A folder path typed in full, absolute or relative.
  Type(doc, QString::fromStdString(root + "/sub/deeper"));
  EXPECT_EQ(doc->CurrentPath(), root + "/sub/deeper");
  Type(doc, "../../Another");
  EXPECT_EQ(doc->CurrentPath(), root + "/Another");
  Type(doc, "..");
  // A folder that is not there, typed with its "/": the tree says so, and
  // no file is offered in it.
  Type(doc, "missing/");
  EXPECT_EQ(doc->CurrentPath(), root);
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].caption, "Cannot Change Directory");
  EXPECT_EQ(sink.boxes[0].text, "The directory \"" + root + "/missing\"\ndoes not exist or cannot be accessed.");
  EXPECT_EQ(Field(doc)->text(), "missing/");
  // A double click on a folder row, then Backspace in the tree.
  DoubleClick(doc, "Another");
  EXPECT_EQ(doc->CurrentPath(), root + "/Another");
  QTreeWidget* tree = doc->GetDriveView()->Widget();
  tree->setFocus();
  QTest::keyClick(tree, Qt::Key_Backspace);
  EXPECT_EQ(doc->CurrentPath(), root);
  EXPECT_TRUE(program.calls.empty());
}

TEST_F(Explorer, OpeningAMissingNameAsksToCreateIt) {
  CExploreDoc* doc = OpenWindow();
  doc->Frame()->TopBar()->OpenAs()->setCurrentIndex(2);  // "Text File": the name stays
  sink.answers = {SHELL_IDNO, SHELL_IDYES};
  Type(doc, "new.txt");
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].caption, "Open");
  EXPECT_EQ(sink.boxes[0].text, root + "/new.txt\nThis file does not exist.\nDo you want to create a new file?");
  EXPECT_EQ(sink.boxes[0].style, unsigned{SHELL_MB_YESNO | SHELL_MB_ICONQUESTION});
  EXPECT_TRUE(program.calls.empty());
  Type(doc, "new.txt");
  ASSERT_EQ(program.calls.size(), 1u);
  EXPECT_EQ(program.calls[0], (OpenCall{root + "/new.txt", CfgFileMode_Text_CRLF, false, true}));

  // "Auto" while new files are programs completes the name with ".PROG"; an
  // open document of that name comes forward without a question.
  doc->Frame()->TopBar()->OpenAs()->setCurrentIndex(0);
  app->m_Config.General.NewFileMode = CfgFileMode_BinaryPROG;
  program.open.insert(root + "/fresh.PROG");
  Type(doc, "fresh");
  EXPECT_EQ(sink.boxes.size(), 2u);
  ASSERT_EQ(program.calls.size(), 2u);
  EXPECT_EQ(program.calls[1], (OpenCall{root + "/fresh.PROG", CfgFileMode_Auto, false, false}));
  // Without them the name stays.
  app->m_Config.General.NewFileMode = CfgFileMode_Text_LF;
  sink.answers = {SHELL_IDNO};
  Type(doc, "fresh");
  EXPECT_EQ(sink.boxes.back().text, root + "/fresh\nThis file does not exist.\nDo you want to create a new file?");
  // An empty field beeps.
  Field(doc)->clear();
  QTest::keyClick(Field(doc), Qt::Key_Return);
  EXPECT_EQ(sink.beeps, std::vector<unsigned>{SHELL_MB_ICONEXCLAMATION});
  EXPECT_FALSE(doc->Frame()->BottomBar()->GetWndOkBN()->isEnabled());
}

TEST_F(Explorer, SaveAsUnderANewNameSavesAndRemembersTheFile) {
  FakeDocument document;
  const int result = SaveAs(document, root + "/b.txt", [&](CExploreDoc* d) {
    EXPECT_EQ(d->Frame()->windowTitle().toStdString(), "Save Prog1 [" + root + "]");
    EXPECT_EQ(Field(d)->text(), "b.txt");  // the proposed name
    EXPECT_EQ(d->Frame()->TopBar()->SaveAs()->GetMode(), CfgFileMode_Text_LF);
    d->Frame()->TopBar()->SaveAs()->setCurrentIndex(3);  // CR-LF text
    Type(d, "\"copy of b.txt\"");
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(document.saved, std::vector<std::string>{root + "/copy of b.txt"});
  EXPECT_EQ(document.format, CfgFileMode_Text_CRLF);
  EXPECT_EQ(app->m_MruFiles.GetFile(0), root + "/copy of b.txt");
  EXPECT_EQ(windows->SaveAsDoc(), nullptr);
  EXPECT_TRUE(sink.boxes.empty());
  EXPECT_TRUE(QTest::qWaitFor([&] { return windows->Count() == 0; }, 5000));
}

TEST_F(Explorer, SaveAsRefusalsKeepTheWindowOpen) {
  FakeDocument document;
  std::vector<std::string> titles;
  const int result = SaveAs(document, root + "/b.txt", [&](CExploreDoc* d) {
    // A second Save As is refused at once.
    FakeDocument other;
    EXPECT_EQ(CExploreDoc::DoSaveAs(&other, root + "/x.txt", nullptr), 0);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].text,
              "You have already opened a \"Save As\" window.\nPlease close it first before trying another \"Save "
              "As\".");
    EXPECT_EQ(sink.boxes[0].caption, "Save As");
    // Several names.
    Type(d, "one two");
    ASSERT_EQ(sink.boxes.size(), 2u);
    EXPECT_EQ(sink.boxes[1].text, EXPLORE_SEVERAL_NAMES);
    // A folder that does not exist: the save fails, the window stays.
    Type(d, "nowhere/x.txt");
    EXPECT_TRUE(document.saved.empty());
    // Replacing an existing file answered No.
    sink.answers = {SHELL_IDNO};
    Type(d, "a.txt");
    ASSERT_EQ(sink.boxes.size(), 3u);
    EXPECT_EQ(sink.boxes[2].text,
              root + "/a.txt\nThis file already exists.\nDo you want to replace the existing file?");
    EXPECT_EQ(sink.boxes[2].style, unsigned{SHELL_MB_YESNO | SHELL_MB_ICONQUESTION | SHELL_MB_DEFBUTTON2});
    EXPECT_TRUE(document.saved.empty());
    EXPECT_TRUE(d->Frame()->isVisible());
    // A read-only file (for root too): replacing it fails in the document's
    // own save. Only root without the right to mount cannot have one.
    if (vtest::make_read_only(root + "/b.txt")) {
      sink.answers = {SHELL_IDYES};
      Type(d, "b.txt");
      EXPECT_TRUE(document.saved.empty());
      EXPECT_TRUE(d->Frame()->isVisible());
      EXPECT_EQ(vtest::read_file(root + "/b.txt"), "bb");
      vtest::undo_read_only(root + "/b.txt");
    } else {
      ::testing::Test::RecordProperty("skipped", "no read-only file for root without the right to mount");
    }
    // Yes saves and closes.
    sink.answers = {SHELL_IDYES};
    Type(d, "a.txt");
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(document.saved, std::vector<std::string>{root + "/a.txt"});
}

TEST_F(Explorer, CancelAndTheMainWindowsCloseEndTheSaveAsWithNothingSaved) {
  FakeDocument document;
  int result =
      SaveAs(document, root + "/b.txt", [&](CExploreDoc* d) { d->Frame()->BottomBar()->CancelButton()->click(); });
  EXPECT_EQ(result, 0);
  result = SaveAs(document, root + "/b.txt", [&](CExploreDoc*) {
    EXPECT_TRUE(windows->SaveAsOpen());
    main->close();  // refused: the Save As window is asked to close instead
    EXPECT_TRUE(main->isVisible());
  });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(main->isVisible());
  EXPECT_TRUE(document.saved.empty());
  EXPECT_FALSE(windows->SaveAsOpen());
}

TEST_F(Explorer, WindowsKeepColumnWidthsStyleAndTreeWidthForTheNextOne) {
  CExploreDoc* first = OpenWindow();
  List(first)->Details()->header()->resizeSection(EXPLORE_COLUMN_OWNER, 111);
  // The List button of the window's own tool bar.
  app->RunIdle();
  auto* button = qobject_cast<QToolButton*>(
      first->Frame()->TopBar()->Bar()->widgetForAction(app->Commands().Action(ID_EXPLORE_LIST)));
  ASSERT_NE(button, nullptr);
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(List(first)->Style(), EXPLORE_STYLE_LIST);
  EXPECT_EQ(List(first)->Current(), static_cast<QWidget*>(List(first)->Icons()));
  CExploreDoc* second = OpenWindow();
  EXPECT_EQ(List(second)->Details()->columnWidth(EXPLORE_COLUMN_OWNER), 111);
  EXPECT_EQ(List(second)->Style(), EXPLORE_STYLE_LIST);
  EXPECT_EQ(windows->Count(), 2);
  EXPECT_EQ(windows->FileOpenMenuTexts(),
            (std::vector<std::string>{"&Open New Explore Window", "&1 Open [" + root + "]", "&2 Open [" + root + "]"}));

  // Damaged widths fall back to the defaults.
  for (const int stored : {-5, 0, 999999}) {
    Cfg_PutInt("Explore\\Columns", "4", stored);
    CExploreDoc* next = OpenWindow();
    EXPECT_EQ(List(next)->Details()->columnWidth(EXPLORE_COLUMN_OWNER), 64) << stored;
  }
}

// In a main window smaller than an explore window, a new Open window and
// the Save As window open whole inside it: their buttons are not left
// beyond the edge.
TEST_F(Explorer, ANewWindowOpensWholeInsideASmallMainWindow) {
  CExploreDoc* first = OpenWindow();
  QMdiArea* area = first->Frame()->mdiArea();
  ASSERT_NE(area, nullptr);
  first->Frame()->close();
  area->window()->resize(560, 420);
  QCoreApplication::processEvents();
  const QRect room = area->viewport()->rect();
  ASSERT_LT(room.width(), 640);

  auto inside = [&](CExploreDoc* d) {
    const QRect at = d->Frame()->geometry();
    EXPECT_TRUE(room.contains(at)) << at.x() << "," << at.y() << " " << at.width() << "x" << at.height() << " in "
                                   << room.width() << "x" << room.height();
    const QPushButton* ok = d->Frame()->BottomBar()->GetWndOkBN();
    EXPECT_TRUE(room.contains(QRect(ok->mapTo(area->viewport(), QPoint(0, 0)), ok->size())));
  };
  inside(OpenWindow());
  FakeDocument doc;
  SaveAs(doc, root + "/x.txt", inside);
}

TEST_F(Explorer, CommandsHaveRowsAndShowInTheViewMenuOfExploreWindows) {
  std::vector<std::string> missing;
  for (const std::string& m : app->Commands().MissingRows())
    if (m.rfind("CExploreFrame", 0) == 0) missing.push_back(m);
  EXPECT_EQ(missing, std::vector<std::string>{});
  CExploreDoc* doc = OpenWindow();
  const std::vector<int> view = app->Commands().PlacedIds(FwPlace::MenuView, doc->Frame()->Kind());
  for (int id : {ID_EXPLORE_LARGE_ICONS, ID_EXPLORE_SMALL_ICONS, ID_EXPLORE_LIST, ID_EXPLORE_DETAILS, ID_EXPLORE_UP})
    EXPECT_NE(std::find(view.begin(), view.end(), id), view.end()) << id;
  const std::vector<int> plain = app->Commands().PlacedIds(FwPlace::MenuView, 0);
  EXPECT_EQ(std::find(plain.begin(), plain.end(), ID_EXPLORE_UP), plain.end());
  // The registry of windows finds the explore frames.
  EXPECT_EQ(app->Windows().Window<CExploreFrame>().data(), doc->Frame());
  EXPECT_EQ(app->Windows().All(doc->Frame()->Kind()).size(), 1u);
  // Up is off at the top of the tree.
  ASSERT_TRUE(doc->GetDriveView()->SelectPath("", true));
  EXPECT_FALSE(app->RouteUpdate(ID_EXPLORE_UP).enabled);
}

}  // namespace
