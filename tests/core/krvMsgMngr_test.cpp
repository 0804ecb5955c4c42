#include "core/krvMsgMngr.h"

#include <gtest/gtest.h>

#include "core/krvComponent.h"
#include "core/krvMsg.h"

namespace dbtwin {
namespace {

TEST(MsgManagerTest, CountsAndSummary) {
    TMsgManager m;
    TObject obj;
    m.AddMsg("careful", mt_Wrn, &obj);
    m.AddScriptMsg("bad token", "a.sql", 7, 3, mt_Err);
    m.AddMsg("fyi", mt_Inf);
    m.AddObjMsg("bad body", &obj, 2, 5, mt_Err);

    EXPECT_EQ(m.GetMsgCount(), 4);
    EXPECT_EQ(m.GetErrCount(), 2);
    EXPECT_EQ(m.GetWrnCount(), 1);
    EXPECT_EQ(m.GetInfCount(), 1);
    EXPECT_EQ(m.Get_MsgCount({mt_Wrn, mt_Inf}), 2);
    EXPECT_TRUE(m.GetIsErr() && m.GetIsWrn() && m.GetIsInf() && m.GetIsMsg());
    EXPECT_EQ(m.ErrSummary(), "bad token\r\nbad body");

    const TMsgData& s = m.Get(1);
    EXPECT_EQ(s.FileName, "a.sql");
    EXPECT_EQ(s.PosX, 7);
    EXPECT_EQ(s.PosY, 3);
    EXPECT_EQ(s.Obj, nullptr);
    EXPECT_EQ(m.Get(3).Obj, &obj);
    EXPECT_EQ(m.Get(3).PosY, 5);

    m.Clear();
    EXPECT_EQ(m.GetErrCount(), 0);
    EXPECT_FALSE(m.GetIsMsg());
    EXPECT_EQ(m.ErrSummary(), "");
}

TEST(MsgManagerTest, CopyFromCopiesOnceEvenIntoItself) {
    TMsgManager a, b;
    a.AddMsg("e1", mt_Err);
    a.AddMsg("w1", mt_Wrn);
    b.CopyFrom(&a);
    b.CopyFrom(nullptr);
    EXPECT_EQ(b.GetMsgCount(), 2);
    EXPECT_EQ(a.GetMsgCount(), 2);
    a.CopyFrom(&a);
    EXPECT_EQ(a.GetMsgCount(), 4);
    EXPECT_EQ(a.ErrSummary(), "e1\r\ne1");
    TMsgData copy;
    copy.Assign(a.Get(1));
    EXPECT_EQ(copy.Msg, "w1");
    EXPECT_EQ(copy.MsgType, mt_Wrn);
}

TEST(HostHooksTest, HandlersAreReplaceable) {
    std::string shown;
    int processed = 0;
    auto oldShow = SetShowMessageHandler([&](const std::string& t) { shown = t; });
    auto oldProcess = SetProcessMessagesHandler([&] { ++processed; });
    ShowMessage("hello");
    ProcessMessages();
    EXPECT_EQ(shown, "hello");
    EXPECT_EQ(processed, 1);
    SetShowMessageHandler(oldShow);
    SetProcessMessagesHandler(oldProcess);
    ProcessMessages();  // the default does nothing and returns at once
    EXPECT_EQ(processed, 1);
}

class Linker : public TComponent {
public:
    using TComponent::TComponent;
    TComponent* Link = nullptr;
    int Removed = 0;
    void SetLink(TComponent* c) {
        Link = c;
        if (c) FreeNotification(c);
    }

protected:
    void Notification(TComponent* c, TOperation op) override {
        TComponent::Notification(c, op);
        if (op == opRemove && c == Link) {
            Link = nullptr;
            ++Removed;
        }
    }
};

TEST(ComponentTest, OwnerFreesOwnedAndLinksAreForgotten) {
    auto* owner = new TComponent();
    auto* a = new Linker(owner);
    auto* b = new Linker(owner);
    Linker outside;
    EXPECT_EQ(owner->ComponentCount(), 2u);
    EXPECT_EQ(a->GetOwner(), owner);

    outside.SetLink(a);
    a->SetLink(&outside);
    delete a;  // owned component destroyed alone: owner and linked components forget it
    EXPECT_EQ(outside.Link, nullptr);
    EXPECT_EQ(outside.Removed, 1);
    EXPECT_EQ(owner->ComponentCount(), 1u);

    outside.SetLink(b);
    delete owner;  // frees b, which tells outside
    EXPECT_EQ(outside.Link, nullptr);
    EXPECT_EQ(outside.Removed, 2);
}

TEST(ComponentTest, LinkedComponentDiesFirst) {
    Linker x;
    {
        Linker y;
        x.SetLink(&y);
        y.SetLink(&x);
    }
    EXPECT_EQ(x.Link, nullptr);  // and y's back link to x was dropped: no use after free below
}

}  // namespace
}  // namespace dbtwin
