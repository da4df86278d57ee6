#pragma once
// Holds one reference to an interface and releases it once.

#include <utility>

template <typename T>
class ComPtr {
  public:
    ComPtr() = default;
    // Takes over a reference the caller already holds (as QueryInterface hands one out).
    static ComPtr Attach(T* p) {
        ComPtr ptr;
        ptr.m_p = p;
        return ptr;
    }
    ComPtr(const ComPtr& other) : m_p(other.m_p) {
        if (m_p != nullptr) {
            m_p->AddRef();
        }
    }
    ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(m_p, other.m_p);
        return *this;
    }
    ~ComPtr() { Reset(); }

    void Reset() {
        if (T* p = std::exchange(m_p, nullptr)) {
            p->Release();
        }
    }
    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // For an out parameter that is set to a new reference or to null: what is held is
    // released first.
    void** PutVoid() {
        Reset();
        return reinterpret_cast<void**>(&m_p);
    }

  private:
    T* m_p = nullptr;
};
