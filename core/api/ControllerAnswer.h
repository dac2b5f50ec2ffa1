#pragma once
// What one read of a controller brought back, as a value: the request's
// result and the answers it accepted. The read writes no screen; whoever owns
// the tree stores the value into one (CCore::StoreAnswer), on its own thread.
//
// An answer that went through holds at least one accepted block: one made
// with none is a failure (no reply), so a read that stores nothing can never
// be reported as a success.
#include "core/api/Callbacks.h"

#include <cstdint>
#include <utility>
#include <vector>

// The kinds of block a read takes, each stored by its own writer.
enum class AnswerKind : std::uint8_t { Version, Hardware, Ip, Wifi };

struct AnswerBlock {
    AnswerKind kind;
    std::vector<std::uint8_t> bytes;   // as it came, and allowed
};

class ControllerAnswer {
public:
    // Nothing read yet: a failure.
    ControllerAnswer() = default;

    // A failed or cancelled read: `result` is its negative transfer result
    // (a result that is not negative is taken as no reply).
    static ControllerAnswer failed(int result)
    {
        ControllerAnswer a;
        a.m_result = result < 0 ? result : int(COMM_E_NO_REPLY);
        return a;
    }
    // A read that went through with the bytes `sent` and the blocks it
    // accepted; with none accepted it is a failure, no reply.
    static ControllerAnswer taken(int sent, std::vector<AnswerBlock> blocks)
    {
        if (sent < 0)
            return failed(sent);
        ControllerAnswer a;
        if (blocks.empty())
            return a;
        a.m_result = sent;
        a.m_blocks = std::move(blocks);
        return a;
    }

    // The bytes sent, or a negative transfer result.
    int result() const { return m_result; }
    // Went through: then it holds at least one block to store.
    bool ok() const { return m_result >= 0; }
    const std::vector<AnswerBlock>& blocks() const { return m_blocks; }

private:
    int m_result = COMM_E_NO_REPLY;
    std::vector<AnswerBlock> m_blocks;
};
