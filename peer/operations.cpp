// The families of operations this peer is built with. Each family lists its
// request codes in its own source; a new family is one more line here.
#include "codes.hpp"
#include "service.hpp"

#include <cstdlib>

const CodeTable& DefaultCodeTable()
{
    static const CodeTable table = [] {
        const OperationFamily families[] = {
            ConnectionOperations(),
        };
        const std::optional<CodeTable> built = BuildCodeTable(families);
        if (!built)
            std::exit(1);
        return *built;
    }();
    return table;
}
