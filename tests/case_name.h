// Names a case of a table test after its own name field: test names may hold
// only letters, digits and underscores.
#pragma once

#include <cctype>
#include <string>

struct CaseName {
    template <typename Info>
    std::string operator()(const Info& info) const
    {
        std::string name = info.param.name;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    }
};
