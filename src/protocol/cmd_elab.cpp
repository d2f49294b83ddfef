// Receive state machine: turns received chunks into one framed message.
#include <algorithm>
#include <cstring>

#include "cmd_error.h"
#include "cmd_msg.h"

namespace {

// The fill level is 16-bit, so the buffer holds at most this many bytes.
constexpr size_t RX_CAPACITY = 65535;

enum : uint8_t {
    ST_HEAD0 = 0,
    ST_HEAD1,
    ST_CNT_HI,
    ST_CNT_LO,
    ST_DEST,
    ST_LEN_HI,
    ST_LEN_LO,
    ST_ACT_HI,
    ST_ACT_LO,
    ST_DATA,
    ST_CRC_HI,
    ST_CRC_LO,
    ST_TERM_E,
    ST_TERM_N,
    ST_CHECK,
};

void report_error(VEMTOR_COMMAND_MSG* msg, cmd_msg_callback on_error)
{
    cmd_set_error(CMD_ERR_ELAB);
    if (on_error)
        on_error(msg);
    cmd_msg_reset(0, msg);
}

// Header bytes one at a time; returns false when a bad second start byte
// was seen.
bool header_loop(VEMTOR_COMMAND_MSG* msg)
{
    bool good = true;
    while (msg->stato_elab < ST_DATA && msg->idx_buffer < msg->idx_stop_buffer) {
        const uint8_t b = msg->buffer[msg->idx_buffer++];
        switch (msg->stato_elab) {
        case ST_HEAD0:
            if (b == 'S') {
                msg->head[0] = b;
                msg->stato_elab = ST_HEAD1;
            }
            break;
        case ST_HEAD1:
            if (b == 'T') {
                msg->head[1] = b;
                msg->stato_elab = ST_CNT_HI;
            } else if (b != 'S') {
                good = false;
            }
            break;
        case ST_CNT_HI: msg->msgCnt[0] = b; msg->stato_elab = ST_CNT_LO; break;
        case ST_CNT_LO: msg->msgCnt[1] = b; msg->stato_elab = ST_DEST; break;
        case ST_DEST: msg->dest = b; msg->stato_elab = ST_LEN_HI; break;
        case ST_LEN_HI: msg->dataLength[0] = b; msg->stato_elab = ST_LEN_LO; break;
        case ST_LEN_LO: msg->dataLength[1] = b; msg->stato_elab = ST_ACT_HI; break;
        case ST_ACT_HI: msg->action[0] = b; msg->stato_elab = ST_ACT_LO; break;
        case ST_ACT_LO:
            msg->action[1] = b;
            msg->idx_data = 0;
            msg->stato_elab = ST_DATA;
            break;
        }
    }
    return good;
}

// States 9 to 14 as far as the buffered bytes allow.
void body_states(VEMTOR_COMMAND_MSG* msg, cmd_msg_callback on_error)
{
    const uint16_t len = cmd_msg_data_length(msg);
    for (;;) {
        const bool have = msg->idx_buffer < msg->idx_stop_buffer;
        switch (msg->stato_elab) {
        case ST_DATA: {
            size_t want = static_cast<size_t>(len) - msg->idx_data;
            size_t take = std::min<size_t>(want, msg->idx_stop_buffer - msg->idx_buffer);
            memcpy(msg->data + msg->idx_data, msg->buffer + msg->idx_buffer, take);
            msg->idx_data = static_cast<uint16_t>(msg->idx_data + take);
            msg->idx_buffer = static_cast<uint16_t>(msg->idx_buffer + take);
            if (msg->idx_data < len)
                return;
            msg->stato_elab = ST_CRC_HI;
            break;
        }
        case ST_CRC_HI:
        case ST_CRC_LO:
            if (!have)
                return;
            msg->crc[msg->stato_elab - ST_CRC_HI] = msg->buffer[msg->idx_buffer++];
            ++msg->stato_elab;
            break;
        case ST_TERM_E:
        case ST_TERM_N: {
            if (!have)
                return;
            const uint8_t expected = msg->stato_elab == ST_TERM_E ? 'E' : 'N';
            const uint8_t b = msg->buffer[msg->idx_buffer];
            if (b != expected) {
                // The offending byte is looked at again in state 0.
                report_error(msg, on_error);
                return;
            }
            msg->term[msg->stato_elab - ST_TERM_E] = b;
            ++msg->idx_buffer;
            ++msg->stato_elab;
            break;
        }
        case ST_CHECK: {
            const uint16_t crc = crc16_modbus(msg, CMD_MSG_HEADER_SIZE + static_cast<size_t>(len));
            if (crc != static_cast<uint16_t>(msg->crc[0] << 8 | msg->crc[1])) {
                report_error(msg, on_error);
                return;
            }
            msg->stato_elab = CMD_ELAB_COMPLETE;
            return;
        }
        default:
            return;
        }
    }
}

void parse(VEMTOR_COMMAND_MSG* msg, cmd_msg_callback on_complete, cmd_msg_callback on_error)
{
    while (msg->idx_buffer < msg->idx_stop_buffer || msg->stato_elab == ST_CHECK) {
        if (!header_loop(msg))
            report_error(msg, on_error);
        else if (msg->stato_elab >= ST_DATA)
            body_states(msg, on_error);
        if (msg->stato_elab == CMD_ELAB_COMPLETE && on_complete)
            on_complete(msg);
        const size_t rest = msg->idx_stop_buffer - msg->idx_buffer;
        memmove(msg->buffer, msg->buffer + msg->idx_buffer, rest);
        msg->idx_stop_buffer = static_cast<uint16_t>(rest);
        msg->idx_buffer = 0;
        if (msg->stato_elab == CMD_ELAB_COMPLETE)
            return;
    }
}

size_t append(VEMTOR_COMMAND_MSG* msg, const uint8_t* bytes, size_t n)
{
    const size_t take = std::min(n, RX_CAPACITY - msg->idx_stop_buffer);
    if (take == 0)
        return 0;  // bytes may be null when n is 0
    memcpy(msg->buffer + msg->idx_stop_buffer, bytes, take);
    msg->idx_stop_buffer = static_cast<uint16_t>(msg->idx_stop_buffer + take);
    return take;
}

}  // namespace

void cmd_msg_elab(const uint8_t* bytes, size_t n, VEMTOR_COMMAND_MSG* msg, cmd_msg_callback on_complete,
                  cmd_msg_callback on_error)
{
    if (msg->stato_elab == CMD_ELAB_COMPLETE)
        cmd_msg_reset(0, msg);
    // A chunk larger than the free room is parsed in pieces: parsing empties
    // the buffer unless a frame completes.
    size_t off = 0;
    do {
        off += append(msg, bytes + off, n - off);
        if (msg->stato_elab != CMD_ELAB_COMPLETE)
            parse(msg, on_complete, on_error);
        if (msg->stato_elab == CMD_ELAB_COMPLETE && off < n) {
            // Bytes behind a completed frame stay buffered for the next call;
            // what cannot be kept is a receive failure, never a silent drop.
            off += append(msg, bytes + off, n - off);
            if (off < n) {
                cmd_set_error(CMD_ERR_ELAB);
                if (on_error)
                    on_error(msg);
            }
            return;
        }
    } while (off < n);
}
