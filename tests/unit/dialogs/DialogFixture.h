#pragma once
#include "framework/fake/FakePlatform.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>

namespace hv::testing {

// A dialog or window of type D on the fake backend; each Open builds it afresh from the
// arguments its constructor takes, the previous one closed first.
template <class D>
class DialogFixture : public ::testing::Test {
protected:
    FakePlatform platform;
    std::unique_ptr<D> dialog;
    std::unique_ptr<FakeDialogView> view;

    template <class... Args>
    FakeDialogView& OpenWith(Args&&... args) {
        view.reset();
        dialog = std::make_unique<D>(std::forward<Args>(args)...);
        view = std::make_unique<FakeDialogView>(platform, *dialog);
        view->Open();
        return *view;
    }
    // Closed before the members of a derived fixture that it may use go.
    void TearDown() override {
        view.reset();
        dialog.reset();
    }
};

} // namespace hv::testing
