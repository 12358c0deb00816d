// Execute buffers and viewports on their own: locking, execute data, and
// the viewport rectangle.
#include <gtest/gtest.h>

#include "platform/d3d/execute_buffer.h"
#include "platform/d3d/viewport.h"

namespace brontar::testing {
namespace {

using platform::ExecuteBuffer;
using platform::Viewport;

D3DEXECUTEBUFFERDESC Description() {
    D3DEXECUTEBUFFERDESC desc{};
    desc.dwSize = sizeof(desc);
    return desc;
}

TEST(ExecuteBufferObject, LockHandsOutTheWholeBufferOnce) {
    auto* buffer = new ExecuteBuffer(248, D3DDEBCAPS_SYSTEMMEMORY);
    D3DEXECUTEBUFFERDESC desc = Description();
    ASSERT_EQ(buffer->Lock(&desc), D3D_OK);
    EXPECT_NE(desc.lpData, nullptr);
    EXPECT_EQ(desc.dwBufferSize, 248u);
    static_cast<uint8_t*>(desc.lpData)[247] = 0x0B;  // the last byte is writable
    D3DEXECUTEBUFFERDESC again = Description();
    EXPECT_EQ(buffer->Lock(&again), D3DERR_EXECUTE_LOCKED);
    EXPECT_EQ(buffer->Unlock(), D3D_OK);
    EXPECT_EQ(buffer->Unlock(), D3DERR_EXECUTE_NOT_LOCKED);
    EXPECT_EQ(buffer->Bytes()[247], 0x0B);
    buffer->Release();
}

TEST(ExecuteBufferObject, LockNeedsAWholeDescription) {
    auto* buffer = new ExecuteBuffer(16, D3DDEBCAPS_SYSTEMMEMORY);
    D3DEXECUTEBUFFERDESC desc = Description();
    desc.dwSize = 16;  // too small to hold the memory pointer
    EXPECT_EQ(buffer->Lock(&desc), DDERR_INVALIDPARAMS);
    EXPECT_EQ(buffer->Lock(nullptr), DDERR_INVALIDPARAMS);
    EXPECT_FALSE(buffer->IsLocked());
    buffer->Release();
}

TEST(ExecuteBufferObject, ExecuteDataRoundTripsAndChecksItsSize) {
    auto* buffer = new ExecuteBuffer(64, D3DDEBCAPS_SYSTEMMEMORY);
    D3DEXECUTEDATA data{};
    data.dwSize = sizeof(data);
    data.dwVertexCount = 6;
    data.dwInstructionOffset = 192;
    data.dwInstructionLength = 48;
    EXPECT_EQ(buffer->SetExecuteData(&data), D3D_OK);
    D3DEXECUTEDATA read{};
    read.dwSize = sizeof(read);
    EXPECT_EQ(buffer->GetExecuteData(&read), D3D_OK);
    EXPECT_EQ(read.dwInstructionOffset, 192u);
    EXPECT_EQ(read.dwInstructionLength, 48u);
    data.dwSize = 44;
    EXPECT_EQ(buffer->SetExecuteData(&data), DDERR_INVALIDPARAMS);
    EXPECT_EQ(buffer->GetExecuteData(&read), D3D_OK);
    EXPECT_EQ(read.dwVertexCount, 6u) << "a refused call changes nothing";
    buffer->Release();
}

TEST(ViewportObject, SetAndGetTheRectangle) {
    auto* viewport = new Viewport();
    EXPECT_EQ(viewport->ClipRect().right, INT32_MAX) << "the whole target until set";
    D3DVIEWPORT data{};
    data.dwSize = sizeof(data);
    data.dwX = 10;
    data.dwY = 20;
    data.dwWidth = 640;
    data.dwHeight = 480;
    data.dvScaleX = 320;
    data.dvMaxX = 1;
    EXPECT_EQ(viewport->SetViewport(&data), D3D_OK);
    const machine::RasterClip clip = viewport->ClipRect();
    EXPECT_EQ(clip.left, 10);
    EXPECT_EQ(clip.top, 20);
    EXPECT_EQ(clip.right, 650);
    EXPECT_EQ(clip.bottom, 500);
    D3DVIEWPORT read{};
    read.dwSize = sizeof(read);
    EXPECT_EQ(viewport->GetViewport(&read), D3D_OK);
    EXPECT_EQ(read.dvScaleX, 320.0f);
    viewport->Release();
}

TEST(ViewportObject, RefusesMalformedRectangles) {
    auto* viewport = new Viewport();
    D3DVIEWPORT data{};
    data.dwSize = 40;
    data.dwWidth = 8;
    data.dwHeight = 8;
    EXPECT_EQ(viewport->SetViewport(&data), DDERR_INVALIDPARAMS);
    data.dwSize = sizeof(data);
    data.dwWidth = 0;
    EXPECT_EQ(viewport->SetViewport(&data), DDERR_INVALIDPARAMS);
    data.dwWidth = 0xFFFFFFFF;
    data.dwX = 0xFFFFFFFF;
    EXPECT_EQ(viewport->SetViewport(&data), D3D_OK);
    EXPECT_EQ(viewport->ClipRect().left, INT32_MAX) << "a rectangle beyond any target clips everything";
    EXPECT_EQ(viewport->Clear(0, nullptr, D3DCLEAR_TARGET), DDERR_INVALIDPARAMS) << "not on a device";
    viewport->Release();
}

}  // namespace
}  // namespace brontar::testing
