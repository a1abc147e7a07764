// Loads arbitrary bytes as a saved-report file and reads every page, forward
// and backward: any input must end in a page or in the store's exception.
#include "platform/exceptions.h"
#include "report/rp_page_list.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        auto stream = std::make_unique<TRpStream>(qint64(1) << 40);
        stream->WriteBuffer(data, static_cast<qint64>(size));
        TRpPageList list;
        list.LoadFromStream(std::move(stream));
        const int count = list.PageCount();
        for (int n = 1; n <= count && n <= 64; ++n) {
            try {
                list.GetPageData(n);
            } catch (const Exception&) {
            }
        }
        for (int n = count; n >= 1 && n > count - 64; --n) {
            try {
                list.GetPageData(n);
            } catch (const Exception&) {
            }
        }
    } catch (const Exception&) {
    }
    return 0;
}
