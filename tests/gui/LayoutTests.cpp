#include "TestForm.h"
#include "gui/Exceptions.h"
#include "gui/Layout.h"
#include <gtest/gtest.h>

TEST(LayoutParse, ReadsBlocksPropertiesAndValues)
{
    const TLayoutNode root = ParseLayout(
        "# comment\r\n"
        "form F\r\n"
        "  Caption = \"a \\\"b\\\"\\r\\tc\\\\\"\n"
        "  Left = -15\n"
        "\n"
        "  TPanel P\n"
        "    Align = alTop\n"
        "    TLabel L\n"
        "      Font.Name = \"Arial\"\n"
        "    end\n"
        "  end\n"
        "  TButton B\n"
        "  end\n"
        "end\n",
        "test");
    EXPECT_EQ(root.Name, "F");
    ASSERT_EQ(root.Properties.size(), 2u);
    EXPECT_EQ(root.Properties[0].Value.Text, "a \"b\"\r\tc\\");
    EXPECT_EQ(root.Properties[0].Value.Kind, TLayoutValue::TKind::String);
    EXPECT_EQ(root.Properties[1].Value.Number, -15);
    ASSERT_EQ(root.Children.size(), 2u);
    EXPECT_EQ(root.Children[0].ClassName, "TPanel");
    EXPECT_EQ(root.Children[0].Properties[0].Value.Text, "alTop");
    EXPECT_EQ(root.Children[0].Properties[0].Value.Kind, TLayoutValue::TKind::Identifier);
    ASSERT_EQ(root.Children[0].Children.size(), 1u);
    EXPECT_EQ(root.Children[0].Children[0].Properties[0].Name, "Font.Name");
    EXPECT_EQ(root.Children[1].Name, "B");
    EXPECT_EQ(root.Children[1].Line, 12);
}

struct TRejectCase {
    const char* Body;      // lines inside "form F" ... "end"
    const char* Expected;  // part of the error message
};

class LayoutRejects : public testing::TestWithParam<TRejectCase> {};

TEST_P(LayoutRejects, WithAnErrorNamingTheCulprit)
{
    TForm form;
    form.AddHandler("KnownClick", TNotifyEvent([](TWinControl*) {}));
    const std::string text = std::string("form F\n") + GetParam().Body + "end\n";
    try {
        form.ReadLayoutText(text, "bad");
        FAIL() << "accepted: " << text;
    } catch (const ELayoutError& e) {
        EXPECT_NE(e.Message().find(GetParam().Expected), std::string::npos) << e.Message();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LayoutRejects,
    testing::Values(
        TRejectCase{"TDriveComboBox Drives\nend\n", "line 2: class TDriveComboBox is not registered"},
        TRejectCase{"TLabel L\n  Colour = 5\nend\n", "line 3: unknown property Colour of TLabel L"},
        TRejectCase{"TButton B\n  OnClick = MissingClick\nend\n", "unknown handler MissingClick"},
        TRejectCase{"OnCloseQuery = KnownClick\n", "unknown handler KnownClick for OnCloseQuery"},
        TRejectCase{"TButton B\n  Default = maybe\nend\n", "invalid value maybe for property Default"},
        TRejectCase{"TLabel L\n  Left = \"ten\"\nend\n", "a number is expected for Left"},
        TRejectCase{"TLabel L\n  Caption = \"open\nend\n", "unterminated string"},
        TRejectCase{"TLabel L\nend\nTLabel L\nend\n", "a control named L exists already"},
        TRejectCase{"TLabel L\n", "the form has no end"},
        TRejectCase{"Width = 10 20\n", "unexpected text after the value of Width"}));

TEST(LayoutRejects, TextBeforeTheFormOrAfterItsEnd)
{
    TForm a, b;
    EXPECT_THROW(a.ReadLayoutText("TLabel L\nend\n", "x"), ELayoutError);
    EXPECT_THROW(b.ReadLayoutText("form F\nend\nform G\nend\n", "x"), ELayoutError);
}

TEST(LayoutRead, BindsHandlersByName)
{
    TForm form;
    int clicks = 0;
    form.AddHandler("GoClick", TNotifyEvent([&](TWinControl* sender) {
                        EXPECT_EQ(sender->Name(), "Go");
                        ++clicks;
                    }));
    form.ReadLayoutText("form F\n ClientWidth = 100\n ClientHeight = 50\n TButton Go\n  OnClick = GoClick\n end\nend\n", "x");
    auto* go = form.FindControl<TButton>("Go");
    form.Show();
    SendMessageA(go->Handle(), BM_CLICK, 0, 0);
    form.Hide();
    EXPECT_EQ(clicks, 1);
    EXPECT_THROW(form.FindControl<TLabel>("Go"), ELayoutError);
    EXPECT_THROW(form.FindControl<TButton>("Stop"), ELayoutError);
}
