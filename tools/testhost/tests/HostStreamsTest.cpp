#include "tools/testhost/HostStreams.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

std::vector<uint8_t> countingBytes(size_t size) {
    std::vector<uint8_t> bytes(size);
    std::iota(bytes.begin(), bytes.end(), uint8_t{0});
    return bytes;
}

TEST(HostStreams, ReadsAtMost17AndWritesAtMost23BytesPerCall) {
    HostInputStream in(countingBytes(40));
    const clap_istream_t* istream = in.clapStream();
    uint8_t buffer[64];
    EXPECT_EQ(istream->read(istream, buffer, 64), 17);
    EXPECT_EQ(istream->read(istream, buffer + 17, 5), 5);
    EXPECT_EQ(istream->read(istream, buffer + 22, 64), 17);
    EXPECT_EQ(istream->read(istream, buffer + 39, 64), 1);
    EXPECT_EQ(istream->read(istream, buffer + 40, 64), 0); // the end, also when asked again
    EXPECT_EQ(istream->read(istream, buffer + 40, 64), 0);
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 40), countingBytes(40));

    HostOutputStream out;
    const clap_ostream_t* ostream = out.clapStream();
    auto bytes = countingBytes(50);
    EXPECT_EQ(ostream->write(ostream, bytes.data(), 50), 23);
    EXPECT_EQ(ostream->write(ostream, bytes.data() + 23, 27), 23);
    EXPECT_EQ(ostream->write(ostream, bytes.data() + 46, 4), 4);
    EXPECT_EQ(out.bytes(), bytes);
    EXPECT_EQ(out.calls(), 3u);
}

TEST(HostStreams, FailAtAnOffsetAfterDeliveringTheBytesBeforeIt) {
    HostInputStream in(countingBytes(40));
    in.failAt(20);
    const clap_istream_t* istream = in.clapStream();
    uint8_t buffer[64];
    EXPECT_EQ(istream->read(istream, buffer, 64), 17);
    EXPECT_EQ(istream->read(istream, buffer, 64), 3);
    EXPECT_EQ(istream->read(istream, buffer, 64), -1);

    HostOutputStream out;
    out.failAt(30);
    const clap_ostream_t* ostream = out.clapStream();
    auto bytes = countingBytes(50);
    EXPECT_EQ(ostream->write(ostream, bytes.data(), 50), 23);
    EXPECT_EQ(ostream->write(ostream, bytes.data(), 50), 7);
    EXPECT_EQ(ostream->write(ostream, bytes.data(), 50), -1);
    EXPECT_EQ(out.bytes().size(), 30u);
}

} // namespace
