// Descriptors: the keyed values of the newer layer blocks, read without trusting a count, a
// length or a depth.
#include <gtest/gtest.h>

#include <string>

#include "graphic/psd/PsdDescriptor.h"
#include "support/ErrorTag.h"
#include "support/PsdBuilder.h"

namespace {

using sdk::graphic::PsdDescriptorValue;
using test_support::Bytes;
using test_support::ByteWriter;

const char kTag[] = "Descriptor:1";

// A descriptor's head: an empty name, the class id "null", then the count of items.
ByteWriter Head(uint32_t items)
{
    ByteWriter bytes;
    bytes.U32(16).U32(1).U16(0).U32(0).Text("null").U32(items);
    return bytes;
}

PsdDescriptorValue Read(const Bytes& bytes)
{
    size_t at = 0;
    return sdk::graphic::ReadPsdVersionedDescriptor(bytes.data(), bytes.size(), at, kTag);
}

TEST(PsdDescriptor, ReadsEveryKindOfValue)
{
    ByteWriter bytes = Head(6);
    bytes.U32(0).Text("Angl").Text("UntF").Text("#Ang").U64(0x4046800000000000);  // 45.0
    bytes.U32(0).Text("Rvrs").Text("bool").U8(1);
    bytes.U32(0).Text("Type").Text("enum").U32(0).Text("GrdT").U32(0).Text("Lnr ");
    bytes.U32(0).Text("Nm  ").Text("TEXT").U32(3).U16('A').U16(0x3042).U16(0);
    bytes.U32(0).Text("List").Text("VlLs").U32(2).Text("long").U32(7).Text("long").I32(-1);
    bytes.U32(0).Text("Data").Text("tdta").U32(2).U8(1).U8(2);
    const PsdDescriptorValue value = Read(bytes.Data());
    EXPECT_EQ("null", value.classId);
    EXPECT_DOUBLE_EQ(45.0, value.Number("Angl", 0));
    EXPECT_EQ("#Ang", value.Find("Angl")->unit);
    EXPECT_TRUE(value.Bool("Rvrs", false));
    EXPECT_EQ("Lnr ", value.Text("Type"));
    EXPECT_EQ(std::u16string({u'A', u'\u3042'}), value.Find("Nm  ")->wide);
    ASSERT_EQ(2u, value.Find("List")->items.size());
    EXPECT_DOUBLE_EQ(-1, value.Find("List")->items[1].number);
    EXPECT_EQ(Bytes({1, 2}), value.Find("Data")->raw);
    EXPECT_DOUBLE_EQ(3, value.Number("Missing", 3));
}

TEST(PsdDescriptor, DamageRaisesTheTagBeforeAnythingIsSizedByIt)
{
    // Cut short inside a value; a count far beyond the bytes; a text longer than the block; a
    // type no descriptor has.
    ByteWriter cut = Head(1);
    cut.U32(0).Text("Angl").Text("doub").U32(0);
    ByteWriter many = Head(0xFFFFFFFF);
    many.U32(0).Text("Rvrs").Text("bool").U8(1);
    ByteWriter text = Head(1);
    text.U32(0).Text("Nm  ").Text("TEXT").U32(0x40000000);
    ByteWriter unknown = Head(1);
    unknown.U32(0).Text("What").Text("????");
    for (const ByteWriter* bytes : {&cut, &many, &text, &unknown})
        EXPECT_EQ(kTag, test_support::TagOf([&] { Read(bytes->Data()); }));

    // Objects nested deeper than any block the editor writes.
    ByteWriter deep = Head(1);
    for (int i = 0; i < 40; ++i)
        deep.U32(0).Text("Deep").Text("Objc").U32(1).U16(0).U32(0).Text("null").U32(1);
    EXPECT_EQ(kTag, test_support::TagOf([&] { Read(deep.Data()); }));
    // And a version other than 16.
    EXPECT_EQ(kTag, test_support::TagOf([] { Read(Bytes({0, 0, 0, 1})); }));
}

TEST(PsdDescriptor, ObjectArraysReadAsObjects)
{
    // A custom warp's mesh: a count of objects, then one descriptor holding their values.
    ByteWriter bytes = Head(2);
    bytes.U32(0).Text("Mesh").Text("ObAr").U32(2).U32(1).U16(0).U32(13).Text("rationalPoint");
    bytes.U32(1).U32(0).Text("Hrzn").Text("UnFl").Text("#Pxl").U32(2);
    bytes.U64(0x4000000000000000).U64(0x4008000000000000);  // 2.0, 3.0
    bytes.U32(0).Text("Rvrs").Text("bool").U8(1);
    const PsdDescriptorValue value = Read(bytes.Data());
    const PsdDescriptorValue* mesh = value.Find("Mesh");
    ASSERT_NE(nullptr, mesh);
    EXPECT_EQ(PsdDescriptorValue::Type::Object, mesh->type);
    ASSERT_EQ(2u, mesh->Find("Hrzn")->items.size());
    EXPECT_DOUBLE_EQ(3, mesh->Find("Hrzn")->items[1].number);
    EXPECT_TRUE(value.Bool("Rvrs", false));
}

}  // namespace
