#include "data/TFinderParams.h"
#include "data/TSponsor.h"
#include "data/TTarget.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>

#include <gtest/gtest.h>

using namespace data;

TEST(PropertyGroup, TextNamesWholeFlagsOnly) {
    TTarget target;
    target.SetAsText("Intim");
    EXPECT_TRUE(target.Intim());
    EXPECT_FALSE(target.IntimBuy());
    EXPECT_EQ(target.GetAsText(), "Intim");

    target.SetAsText("IntimBuy");
    EXPECT_FALSE(target.Intim());
    EXPECT_TRUE(target.IntimBuy());

    // Order in the text does not matter, the published order is kept;
    // unknown names and the wrong letter case are ignored.
    target.SetAsText("Sport|nothing|love|Love|Friendship");
    EXPECT_EQ(target.GetAsText(), "Friendship|Love|Sport");

    target.SetAsText("");
    EXPECT_EQ(target.GetAsText(), "");
    for (const auto& p : target.PublishedProperties()) EXPECT_EQ(p.GetOrd(target), 0) << p.Name;
}

TEST(PropertyGroup, EveryFlagRoundTripsThroughText) {
    TTarget all;
    for (const auto& p : all.PublishedProperties()) p.SetOrd(all, 1);
    const std::string text = all.GetAsText();
    EXPECT_EQ(text, "Friendship|Email|Love|RegSex|SomeSex|Group|Virt|Intim|IntimBuy|Family|Child|Fiktive|Rent|Sport");
    TTarget copy;
    copy.SetAsText(text);
    EXPECT_EQ(copy.GetAsText(), text);
}

TEST(PropertyGroup, GroupPropAnswersForExactNamesThatAreSet) {
    TSponsor sponsor;
    sponsor.SetIam(true);
    EXPECT_TRUE(GetGroupProp(sponsor, "Iam"));
    EXPECT_FALSE(GetGroupProp(sponsor, "iam"));
    EXPECT_FALSE(GetGroupProp(sponsor, "No"));
    EXPECT_FALSE(GetGroupProp(sponsor, "Unknown"));
}

TEST(PropertyGroup, BindsToTheFirstCheckBoxWhoseNameHoldsTheFlag) {
    QGroupBox box;
    // A line edit named like a box is passed over; the first match wins, so
    // "chbIntimBuy" after "chbIntim" is IntimBuy's box only.
    auto* edit = new QLineEdit(&box);
    edit->setObjectName("chbLove");
    auto* love = new QCheckBox(&box);
    love->setObjectName("chbLove");
    auto* intim = new QCheckBox(&box);
    intim->setObjectName("chbIntim");
    auto* intimBuy = new QCheckBox(&box);
    intimBuy->setObjectName("chbIntimBuy");

    TFinderParams params;
    params.SetTarget("Love|IntimBuy|Sport");
    params.SetTargetToControl(&box);
    EXPECT_TRUE(love->isChecked());
    EXPECT_FALSE(intim->isChecked());
    EXPECT_TRUE(intimBuy->isChecked());

    love->setChecked(false);
    intim->setChecked(true);
    params.GetTargetFromControl(&box);
    // Sport has no box here, so reading the boxes clears it.
    EXPECT_EQ(params.target(), "Intim|IntimBuy");

    // Anything but a group box is no group box.
    QWidget plain;
    params.GetTargetFromControl(&plain);
    params.GetSponsorFromControl(nullptr);
    EXPECT_EQ(params.target(), "Intim|IntimBuy");
}
