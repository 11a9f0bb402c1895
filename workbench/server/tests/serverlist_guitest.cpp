// The server list and "Server Setup": rows loaded from the profile list
// "Server", texts on request, removing and saving back, the dialog's fields.
#include <QLineEdit>
#include <QTest>

#include "srvtest.h"
#include "workbench/server/serverdlg.h"
#include "workbench/server/serverlist.h"
#include "workbench/shell/pswdcrypt.h"
#include "workbench/base/settings/cfglists.h"

namespace {

class ServerList : public SrvTest {
 protected:
  static void add_entry(const char* host, const char* title, const char* timeout = nullptr) {
    std::string e = Cfg_ListAppendUnique("Server", host);
    Cfg_PutString(e.c_str(), "Title", title);
    Cfg_PutString(e.c_str(), "Service", "rodada");
    Cfg_PutString(e.c_str(), "Login", "alice");
    Cfg_PutString(e.c_str(), "SecurePswd", EncryptString("secret", host).c_str());
    if (timeout) Cfg_PutString(e.c_str(), "Timeout", timeout);
  }
  static bool has_timeout_anywhere() {
    for (const char* host : {"prod", "test", "lab"})
      if (!Cfg_GetString((std::string("Server\\") + host).c_str(), "Timeout").empty()) return true;
    return false;
  }
};

TEST_F(ServerList, LoadsTheEntriesInListOrderWithTextsOnRequest) {
  add_entry("prod", "Production");
  add_entry("test", "");
  CServerList list;
  EXPECT_EQ(list.GetItemInfo(0), nullptr);  // before Init the list is empty to callers
  ServerINFO spare;
  EXPECT_EQ(list.AddItem(&spare), -1);
  ASSERT_TRUE(list.Init());
  EXPECT_TRUE(list.Init());  // a second call changes nothing
  ASSERT_EQ(list.GetItemCount(), 2);
  EXPECT_EQ(list.headerItem()->text(0), "Server");
  EXPECT_EQ(list.headerItem()->text(1), "Description");
  EXPECT_EQ(list.columnWidth(0), 80);
  EXPECT_EQ(list.topLevelItem(0)->text(0), "prod");
  EXPECT_EQ(list.topLevelItem(0)->text(1), "Production");
  EXPECT_EQ(list.topLevelItem(1)->text(1), "");  // empty title, empty column
  auto* info = static_cast<ServerINFO*>(list.GetItemInfo(1));
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->Service, "rodada");
  EXPECT_EQ(DecryptString(info->SecurePswd.c_str(), "test"), "secret");
  EXPECT_EQ(list.GetItemInfo(2), nullptr);
  EXPECT_EQ(list.GetSelectedIdx(), -1);
  list.topLevelItem(1)->setSelected(true);
  EXPECT_EQ(list.GetSelectedIdx(), 1);

  // An edited record is shown at once.
  info->Title = "Test bed";
  list.UpdateItem(1, info);
  EXPECT_EQ(list.topLevelItem(1)->text(1), "Test bed");
  ServerINFO stranger;
  EXPECT_THROW(list.UpdateItem(1, &stranger), SysAssertError);

  // The selected row is painted highlighted, the other one not.
  list.resize(300, 120);
  list.show();
  QImage picture = list.viewport()->grab().toImage();
  QRect selected = list.visualItemRect(list.topLevelItem(1));
  QRect other = list.visualItemRect(list.topLevelItem(0));
  QColor highlight = list.palette().color(QPalette::Active, QPalette::Highlight);
  double scale = picture.devicePixelRatio();
  auto at = [&](const QRect& r) {
    return picture.pixelColor(static_cast<int>((r.right() - 3) * scale), static_cast<int>(r.center().y() * scale));
  };
  EXPECT_EQ(at(selected), highlight);
  EXPECT_NE(at(other), highlight);
}

TEST_F(ServerList, SaveConfigWritesRowsInOrderAndAfterRemovingAllLeavesTheListEmpty) {
  add_entry("prod", "Production", "45");
  add_entry("test", "Tests");
  {
    CServerList list;
    ASSERT_TRUE(list.Init());
    EXPECT_FALSE(list.RemoveItem(2));
    ASSERT_TRUE(list.RemoveItem(1));
    auto* info = new ServerINFO{"New one", "lab", "4711", "bob", EncryptString("pw", "lab")};
    EXPECT_EQ(list.AddItem(info), 1);
    ASSERT_TRUE(list.SaveConfig());
  }
  EXPECT_EQ(Cfg_ListNames("Server"), (std::vector<std::string>{"prod", "lab"}));
  std::string lab = Cfg_ListFind("Server", "lab");
  EXPECT_EQ(Cfg_GetString(lab.c_str(), "Title"), "New one");
  EXPECT_EQ(Cfg_GetString(lab.c_str(), "Service"), "4711");
  EXPECT_EQ(Cfg_GetString(lab.c_str(), "Login"), "bob");
  EXPECT_EQ(Cfg_GetString(lab.c_str(), "Timeout"), "");  // never written for a server of its own
  EXPECT_EQ(Cfg_GetInt(Cfg_ListFind("Server", "prod").c_str(), "Timeout"), 45);  // kept by hand
  EXPECT_TRUE(Cfg_ListFind("Server", "test").empty());

  CServerList list;
  EXPECT_FALSE(list.SaveConfig());  // before Init
  ASSERT_TRUE(list.Init());
  while (list.GetItemCount() > 0) ASSERT_TRUE(list.RemoveItem(0));
  ASSERT_TRUE(list.SaveConfig());
  EXPECT_EQ(Cfg_ListTotal("Server"), 0);
  EXPECT_TRUE(Cfg_ListFind("Server", "prod").empty());
  EXPECT_FALSE(has_timeout_anywhere());
}

TEST_F(ServerList, ServerSetupMovesItsSixTextsBothWays) {
  CServerDlg dlg;
  EXPECT_EQ(dlg.windowTitle(), "Server Setup");
  for (int id : {1000, 1002, 1004, 1008, 1014, 1020}) {
    ASSERT_NE(dlg.Edit(id), nullptr) << id;
    EXPECT_TRUE(dlg.Edit(id)->text().isEmpty()) << id;
  }
  EXPECT_EQ(dlg.Edit(CServerDlg::IDC_PASSWORD)->echoMode(), QLineEdit::Password);
  EXPECT_EQ(dlg.Edit(CServerDlg::IDC_PASSWORD2)->echoMode(), QLineEdit::Password);
  EXPECT_EQ(dlg.Edit(CServerDlg::IDC_SERVER)->echoMode(), QLineEdit::Normal);

  dlg.m_Server = "prod";
  dlg.m_Title = "Production";
  dlg.UpdateData(false);
  EXPECT_EQ(dlg.Edit(CServerDlg::IDC_SERVER)->text(), "prod");
  EXPECT_EQ(dlg.Edit(CServerDlg::IDC_TITLE)->text(), "Production");
  dlg.Edit(CServerDlg::IDC_LOGIN)->setText("carol");
  dlg.Edit(CServerDlg::IDC_PASSWORD)->setText("a");
  dlg.Edit(CServerDlg::IDC_PASSWORD2)->setText("b");
  dlg.Edit(CServerDlg::IDC_SERVICE)->setText("4711");
  dlg.UpdateData(true);
  EXPECT_EQ(dlg.m_Login, "carol");
  EXPECT_EQ(dlg.m_Password, "a");
  EXPECT_EQ(dlg.m_Password2, "b");  // the page checks that they agree
  EXPECT_EQ(dlg.m_Service, "4711");
}

}  // namespace
