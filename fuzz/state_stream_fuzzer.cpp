// Feeds arbitrary bytes to the state-record reader: it must never crash, leak
// or read out of bounds, and whatever it accepts must save and load again to
// the same record.
#include "pal/com/stream.h"
#include "pal/com_ptr.h"
#include "pal/hresult_error.h"
#include "settings/publisher_state.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    pal::ComPtr<IStream> input;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, input.ReleaseAndGetAddressOf()))) return 0;
    input->Write(data, static_cast<ULONG>(size), nullptr);
    input->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);

    orvana::PublisherState state;
    try {
        orvana::LoadState(input.Get(), state);
    } catch (const pal::HResultError&) {
        return 0;
    }

    pal::ComPtr<IStream> output;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, output.ReleaseAndGetAddressOf()))) return 0;
    orvana::PublisherState again;
    try {
        orvana::SaveState(output.Get(), state);
        output->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
        orvana::LoadState(output.Get(), again);
    } catch (const pal::HResultError&) {
        std::abort();
    }
    if (!(again == state)) std::abort();
    return 0;
}
