// Failures travel inside a method as an exception carrying an HRESULT; one
// boundary per interface method turns them back into a result.
#pragma once

#include <exception>
#include <new>
#include <windows.h>

namespace pal {

class HResultError : public std::exception {
  public:
    explicit HResultError(HRESULT hr) noexcept : hr_(hr) {}
    HRESULT Code() const noexcept { return hr_; }
    const char* what() const noexcept override { return "HRESULT failure"; }

  private:
    HRESULT hr_;
};

// Throws when hr is a failure; answers hr otherwise (S_FALSE passes through).
inline HRESULT ThrowIfFailed(HRESULT hr)
{
    if (FAILED(hr)) throw HResultError(hr);
    return hr;
}

// Runs body (which answers an HRESULT) and turns any escaping exception into
// its result: the carried HRESULT, E_OUTOFMEMORY, or `fallback`.
template <typename Body> HRESULT Boundary(Body&& body, HRESULT fallback = E_UNEXPECTED) noexcept
{
    try {
        return body();
    } catch (const HResultError& error) {
        return error.Code();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return fallback;
    }
}

} // namespace pal
