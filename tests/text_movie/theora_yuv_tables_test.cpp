// The Theora decoder's YUV-to-RGB tables and 4:2:0 pixels converted through them, at the edges of the
// sample range, against values computed by fixtures/make_yuv_table_edges.sh from the BT.601 formulas.
#include "engine/text_movie/theora_yuv_tables.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/text_movie/theora_movie.h"

namespace {

struct TableEdge {
    std::string table;
    int index;
    int32_t value;
};

struct PixelEdge {
    int y, u, v;
    int blue, green, red;
};

struct Edges {
    std::vector<TableEdge> tables;
    std::vector<PixelEdge> pixels;
};

const Edges& ReadEdges() {
    static const Edges edges = [] {
        Edges read;
        std::ifstream in(std::string(KORVALUND_TEST_DIR) + "/fixtures/yuv_table_edges.txt");
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            std::string kind;
            fields >> kind;
            if (kind == "table") {
                TableEdge edge;
                fields >> edge.table >> edge.index >> edge.value;
                read.tables.push_back(edge);
            } else if (kind == "pixel") {
                PixelEdge edge;
                fields >> edge.y >> edge.u >> edge.v >> edge.blue >> edge.green >> edge.red;
                read.pixels.push_back(edge);
            }
        }
        return read;
    }();
    return edges;
}

class TheoraYuvTables : public ::testing::Test {
  protected:
    void SetUp() override { InitYuvToRgbTables(); }
};

TEST_F(TheoraYuvTables, EdgeEntriesFollowTheFormulas) {
    const YuvToRgbTables& tables = GetYuvToRgbTables();
    const std::map<std::string, const int32_t*> byName = {{"vr", tables.vToRed},
                                                          {"ug", tables.uToGreen},
                                                          {"vg", tables.vToGreen},
                                                          {"ub", tables.uToBlue},
                                                          {"y", tables.luma}};
    const std::vector<TableEdge>& edges = ReadEdges().tables;
    ASSERT_EQ(edges.size(), 25u);
    for (const TableEdge& edge : edges) {
        ASSERT_EQ(byName.count(edge.table), 1u) << edge.table;
        EXPECT_EQ(byName.at(edge.table)[edge.index], edge.value) << edge.table << "[" << edge.index << "]";
    }
}

TEST_F(TheoraYuvTables, EdgePixelsConvertExactly) {
    const std::vector<PixelEdge>& edges = ReadEdges().pixels;
    ASSERT_EQ(edges.size(), 36u);
    for (const PixelEdge& edge : edges) {
        uint8_t bgr[3] = {0xA5, 0xA5, 0xA5};
        ConvertYuvPixelThroughTables(edge.y, edge.u, edge.v, bgr);
        EXPECT_EQ(bgr[0], edge.blue) << "Y " << edge.y << " U " << edge.u << " V " << edge.v;
        EXPECT_EQ(bgr[1], edge.green) << "Y " << edge.y << " U " << edge.u << " V " << edge.v;
        EXPECT_EQ(bgr[2], edge.red) << "Y " << edge.y << " U " << edge.u << " V " << edge.v;
    }
}

}  // namespace
