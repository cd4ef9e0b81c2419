// How a comment header is rewritten
//
// An Ogg Vorbis stream starts with three header packets: identification, comments and
// setup (codebooks). Only the middle one changes, but it shares pages with its neighbours
// and is usually larger or smaller afterwards, so every page of the first logical stream
// has to be built again; the audio itself is never decoded.
//
// open() reads 4096-byte chunks until libogg finds the first page (giving up after eleven
// chunks), takes its serial number and pulls the three header packets out of the stream,
// parsing each with libvorbis. The identification and setup packets are kept as they are,
// and the vendor string is kept so that the rebuilt comment packet names the encoder that
// made the file, not us.
//
// rewrite() starts a new stream with the same serial number, submits the identification
// packet (beginning of stream), a comment packet it packs itself from the edited block and
// the setup packet, and flushes them so the audio starts on a fresh page, as Vorbis
// requires. Then every audio packet of the first stream is copied bit for bit onto new
// pages. Page boundaries move, so the granule positions (sample counts at the end of each
// page) are recomputed: each packet advances the position by a quarter of the sum of its
// block size and the previous packet's (the overlap-add rule of Vorbis; the first packet
// yields nothing). Where the input stored a position, it wins when it is smaller than the
// computed one (a stream that ends on a partial block, or starts late), and the page is
// flushed right after that packet so the stored position lands on a page of its own.
//
// The first stream ends with its end-of-stream page (the new last page carries that mark
// only when the old one did: a file cut short stays unterminated, so that decoders do not
// trim its last page). Everything after it, the further
// links of a chained file included, is copied byte for byte: pages unchanged, and also any
// bytes between or after pages that are not pages at all (a torn last page, trailing
// junk), which are reported as corrupt but not dropped. A page of the first stream's
// serial number found there means another stream was interleaved with it (a multiplexed
// file); re-paging would tear them apart, so the rewrite is refused.
//
// Memory stays bounded by the read chunk and libogg's page buffers.
#include "VorbisCommentEditor.h"

#include <string_view>

namespace tavora {
namespace {

constexpr size_t kChunk = 4096;
constexpr int kChunksToFirstPage = 11;

}  // namespace

using namespace vcedit_message;

VorbisCommentEditor::VorbisCommentEditor() = default;

VorbisCommentEditor::~VorbisCommentEditor() { releaseInternals(); }

void VorbisCommentEditor::releaseInternals() {
    if (syncReady_) ogg_sync_clear(&sync_);
    if (streamReady_) ogg_stream_clear(&stream_);
    if (vorbisReady_) {
        vorbis_comment_clear(&comments_);
        vorbis_info_clear(&info_);
    }
    syncReady_ = streamReady_ = vorbisReady_ = false;
}

bool VorbisCommentEditor::failOpen(const char* message) {
    lastError_ = message;
    releaseInternals();
    return false;
}

bool VorbisCommentEditor::readChunk(size_t* got) {
    *got = 0;
    char* buffer = ogg_sync_buffer(&sync_, kChunk);
    if (!buffer) return false;
    *got = read_(buffer, 1, kChunk, in_);
    ogg_sync_wrote(&sync_, static_cast<long>(*got));
    return *got > 0;
}

bool VorbisCommentEditor::open(VcReadFn read, void* handle) {
    releaseInternals();
    read_ = read;
    in_ = handle;
    lastError_.clear();
    ogg_sync_init(&sync_);
    syncReady_ = true;

    ogg_page page;
    for (int chunks = 0;;) {
        size_t got = 0;
        readChunk(&got);
        int found = 0;
        while ((found = ogg_sync_pageout(&sync_, &page)) < 0) {
        }
        if (found == 1) break;
        if (++chunks >= kChunksToFirstPage || got == 0) return failOpen(got < kChunk ? kTruncated : kNotOgg);
    }

    serial_ = ogg_page_serialno(&page);
    ogg_stream_init(&stream_, static_cast<int>(serial_));
    streamReady_ = true;
    vorbis_info_init(&info_);
    vorbis_comment_init(&comments_);
    vorbisReady_ = true;

    if (ogg_stream_pagein(&stream_, &page) < 0) return failOpen(kFirstPage);
    ogg_packet packet;
    if (ogg_stream_packetout(&stream_, &packet) != 1) return failOpen(kInitialHeader);
    if (vorbis_synthesis_headerin(&info_, &comments_, &packet) < 0) return failOpen(kNotVorbis);
    mainHeader_.assign(packet.packet, packet.packet + packet.bytes);

    int headers = 0;
    while (headers < 2) {
        while (headers < 2) {
            const int result = ogg_sync_pageout(&sync_, &page);
            if (result == 0) break;
            if (result < 0) continue;
            if (ogg_page_serialno(&page) != serial_) return failOpen(kInterleaved);
            ogg_stream_pagein(&stream_, &page);
            while (headers < 2) {
                const int got = ogg_stream_packetout(&stream_, &packet);
                if (got == 0) break;
                // A setup header libvorbis cannot read would leave the block sizes unknown
                // and the granule positions wrong, so it is as fatal as a torn packet.
                if (got < 0 || vorbis_synthesis_headerin(&info_, &comments_, &packet) < 0)
                    return failOpen(kCorruptHeader);
                if (headers == 1) codebookHeader_.assign(packet.packet, packet.packet + packet.bytes);
                ++headers;
            }
        }
        size_t got = 0;
        readChunk(&got);
        if (got == 0 && headers < 2) return failOpen(kEofInHeaders);
    }
    vendor_ = comments_.vendor ? comments_.vendor : "";
    return true;
}

bool VorbisCommentEditor::fetchAudioPacket(ogg_packet* packet) {
    for (;;) {
        const int got = ogg_stream_packetout(&stream_, packet);
        if (got == 1) return true;
        if (got < 0) continue;  // a hole in the data: the packets after it still count
        if (endOfInput_) return false;
        ogg_page page;
        for (;;) {
            const int result = ogg_sync_pageout(&sync_, &page);
            if (result == 1) break;
            if (result == 0) {
                size_t read = 0;
                if (!readChunk(&read)) return false;
            }
        }
        if (ogg_page_serialno(&page) != serial_) {
            endOfInput_ = true;
            extraPage_ = true;
            heldPageBytes_.assign(page.header, page.header + page.header_len);
            heldPageBytes_.insert(heldPageBytes_.end(), page.body, page.body + page.body_len);
            return false;
        }
        if (ogg_page_eos(&page)) endOfInput_ = firstStreamEnded_ = true;
        ogg_stream_pagein(&stream_, &page);
    }
}

bool VorbisCommentEditor::writeBytes(const void* data, size_t size) {
    return size == 0 || write_(data, 1, size, out_) == size;
}

bool VorbisCommentEditor::writePage(const ogg_page& page) {
    return writeBytes(page.header, static_cast<size_t>(page.header_len)) &&
           writeBytes(page.body, static_cast<size_t>(page.body_len));
}

bool VorbisCommentEditor::copyTail() {
    endOfInput_ = false;
    bool serialReused = false;  // a later link of the chain may start over with our serial
    for (;;) {
        const unsigned char* start = sync_.data + sync_.returned;
        ogg_page page;
        const long result = ogg_sync_pageseek(&sync_, &page);
        if (result > 0) {
            if (ogg_page_serialno(&page) == serial_) {
                if (ogg_page_bos(&page)) serialReused = true;
                if (!serialReused) {
                    lastError_ = kInterleaved;
                    return false;
                }
            }
            if (!writePage(page)) return false;
        } else if (result < 0) {
            lastError_ = kCorruptData;
            if (!writeBytes(start, static_cast<size_t>(-result))) return false;
        } else {
            size_t got = 0;
            if (!readChunk(&got)) {
                // Whatever never became a page (a torn last page) is kept as it was.
                endOfInput_ = true;
                return writeBytes(sync_.data + sync_.returned, static_cast<size_t>(sync_.fill - sync_.returned));
            }
        }
    }
}

bool VorbisCommentEditor::rewrite(VcWriteFn write, void* out) {
    if (!vorbisReady_) {
        lastError_ = kWriteFailed;
        return false;
    }
    write_ = write;
    out_ = out;

    ogg_stream_state output;
    ogg_stream_init(&output, static_cast<int>(serial_));

    oggpack_buffer pack;
    oggpack_writeinit(&pack);
    oggpack_write(&pack, 3, 8);
    for (const char c : std::string_view("vorbis")) oggpack_write(&pack, static_cast<unsigned char>(c), 8);
    oggpack_write(&pack, static_cast<unsigned long>(vendor_.size()), 32);
    for (const char c : vendor_) oggpack_write(&pack, static_cast<unsigned char>(c), 8);
    oggpack_write(&pack, static_cast<unsigned long>(comments_.comments), 32);
    for (int i = 0; i < comments_.comments; ++i) {
        const char* text = comments_.user_comments[i];
        const int length = text ? comments_.comment_lengths[i] : 0;
        oggpack_write(&pack, static_cast<unsigned long>(length), 32);
        for (int j = 0; j < length; ++j) oggpack_write(&pack, static_cast<unsigned char>(text[j]), 8);
    }
    oggpack_write(&pack, 1, 1);

    ogg_packet main{mainHeader_.data(), static_cast<long>(mainHeader_.size()), 1, 0, 0, 0};
    ogg_packet comment{oggpack_get_buffer(&pack), oggpack_bytes(&pack), 0, 0, 0, 1};
    ogg_packet codebook{codebookHeader_.data(), static_cast<long>(codebookHeader_.size()), 0, 0, 0, 2};
    ogg_stream_packetin(&output, &main);
    ogg_stream_packetin(&output, &comment);
    ogg_stream_packetin(&output, &codebook);

    bool good = true;
    ogg_page page;
    while (good && ogg_stream_flush(&output, &page)) good = writePage(page);

    ogg_int64_t granule = 0;
    bool needFlush = false;
    bool needOut = false;
    ogg_packet packet;
    while (good && fetchAudioPacket(&packet)) {
        // A packet that is not audio (libvorbis says so with a negative size) adds no
        // samples and does not become the previous block.
        const long size = vorbis_packet_blocksize(&info_, &packet);
        if (size > 0) {
            if (previousBlockSize_ > 0) granule += (size + previousBlockSize_) / 4;
            previousBlockSize_ = size;
        }
        if (needFlush) {
            if (ogg_stream_flush(&output, &page)) good = writePage(page);
        } else if (needOut) {
            if (ogg_stream_pageout(&output, &page)) good = writePage(page);
        }
        needFlush = needOut = false;
        if (packet.granulepos == -1) {
            packet.granulepos = granule;
        } else if (granule > packet.granulepos) {
            granule = packet.granulepos;
            needFlush = true;
        } else {
            needOut = true;
        }
        ogg_stream_packetin(&output, &packet);
    }

    // The last page is marked as the end of the stream when the input's was: a file cut
    // short must not claim an end, or decoders trim its last page's samples.
    if (firstStreamEnded_) output.e_o_s = 1;
    while (good && ogg_stream_flush(&output, &page)) good = writePage(page);
    if (good && extraPage_) good = writeBytes(heldPageBytes_.data(), heldPageBytes_.size());
    if (good) good = copyTail();

    ogg_stream_clear(&output);
    oggpack_writeclear(&pack);
    mainHeader_.clear();
    codebookHeader_.clear();
    if (!good || !endOfInput_) {
        if (lastError_ != kInterleaved) lastError_ = kWriteFailed;
        return false;
    }
    return true;
}

}  // namespace tavora
