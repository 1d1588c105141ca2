#include "app/XmlLimits.h"

#include <gtest/gtest.h>

namespace {

TEST(XmlLimits, CountsTagsAndAttributesOfTheMarkupOnly)
{
    const XmlLimits limits{4, 5, 3};
    const struct
    {
        const char* name;
        QByteArray xml;
        bool within;
    } cases[] = {
        {"empty", "", true},
        {"four tags", "<a><b/><c x=\"1\"/></a>", true},
        {"five tags", "<a><b/><c/><d/></a>", false},
        {"three attributes in a tag", "<a x='1' y=\"2\" z=\"3\"/>", true},
        {"four attributes in a tag", "<a w='0' x='1' y=\"2\" z=\"3\"/>", false},
        {"six attributes in all", "<a x='1' y='2'><b x='1' y='2'/><c x='1' y='2'/></a>", false},
        {"= and < in values and text", "<a x='==<<' y=\"a>b=c\">=<==></a>", true},
        {"comments and CDATA are text", "<a><!-- <b x=1 y=2 z=3 w=4> --><![CDATA[<c/><d/><e/>]]></a>", true},
        {"unterminated comment", "<a><!-- <b/><c/><d/><e/>", true},
        {"unterminated value", "<a x=\"<b/><c/><d/><e/>", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(XmlWithinLimits(c.xml, limits), c.within);
    }
}

}  // namespace
