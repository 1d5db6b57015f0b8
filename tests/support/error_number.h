#pragma once

// The number of the error a call throws, 0 when it throws none.
template <typename ErrorType, typename F>
int errorNumberOf(F&& f) {
    try {
        f();
    } catch (const ErrorType& e) {
        return e.number();
    }
    return 0;
}
