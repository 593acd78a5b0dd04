#include "tests/support/module_fixture.h"

#include "module/entry/class_factory.h"
#include "module/counters.h"
#include "module/host_bridge.h"

namespace qxv::test {

void ModuleTest::SetUp() {
  sim::ResetHost();
  sim::ResetBadAccesses();
  DllInitRDCom(sim::Shell());
  view_ = sim::NewRenderView();
  baselineObjects_ = sim::LiveHostObjects();
  baselineBlocks_ = sim::LiveBlocks();
  pblur_ = NewPblurFromFactory();
}

void ModuleTest::TearDown() {
  if (pblur_) pblur_->ops->Release(pblur_);
  ReleaseInterface(view_);
  baselineObjects_ -= 1;
  EXPECT_EQ(sim::LiveHostObjects(), baselineObjects_) << "host objects leaked";
  EXPECT_EQ(sim::LiveBlocks(), baselineBlocks_) << "blocks leaked";
  EXPECT_EQ(sim::LockedTiles(), 0);
  EXPECT_EQ(sim::BadAccesses(), 0);
  EXPECT_EQ(sim::ChainHead(), nullptr);
  EXPECT_EQ(liveObjects, 0);
}

Pblur* ModuleTest::NewPblurFromFactory() {
  ClassFactory* factory = nullptr;
  EXPECT_EQ(DllGetClassObject(&kCLSID_Pblur, &kIID_IClassFactory,
                              reinterpret_cast<void**>(&factory)),
            S_OK);
  Pblur* pblur = nullptr;
  EXPECT_EQ(factory->ops->CreateInstance(factory, nullptr, &kIID_I3DExPostRenderer,
                                         reinterpret_cast<void**>(&pblur)),
            S_OK);
  factory->ops->Release(factory);
  return pblur;
}

Frame::Frame(std::uint32_t w, std::uint32_t h, std::uint32_t tileWidth, std::uint32_t tileHeight,
             std::uint32_t pixelDepth)
    : width(w), height(h) {
  sim::BufferSpec spec;
  spec.width = w;
  spec.height = h;
  spec.tileWidth = tileWidth;
  spec.tileHeight = tileHeight;
  spec.pixelDepth = pixelDepth;
  image = sim::NewTiledImage(spec);
  spec.pixelDepth = 32;
  objectIndex = sim::NewTileBuffer(spec);
  match1 = sim::NewTileBuffer(spec);
  match2 = sim::NewTileBuffer(spec);
  depth = sim::NewTileBuffer(spec);
  alternate = sim::NewTileBuffer(spec);
  set[kObjectIndexBuffer] = AsUnknown(objectIndex);
  set[kMatch1Buffer] = AsUnknown(match1);
  set[kMatch2Buffer] = AsUnknown(match2);
  set[kDepthBuffer] = AsUnknown(depth);
  set[kAlternateBuffer] = AsUnknown(alternate);
  Clear(0x202020);
}

Frame::~Frame() {
  sim::SetHostSideWork(true);
  for (Unknown* u : {AsUnknown(image), AsUnknown(objectIndex), AsUnknown(match1),
                     AsUnknown(match2), AsUnknown(depth), AsUnknown(alternate)}) {
    u->ops->Release(u);
  }
  sim::SetHostSideWork(false);
}

void Frame::Clear(std::uint32_t colour) {
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      sim::WriteElement(image, x, y, colour);
      for (TileBuffer* b : {objectIndex, match1, match2, alternate}) sim::WriteElement(b, x, y, 0);
      sim::WriteElement(depth, x, y, 0xFFFFFFFFu);
    }
  }
}

void Frame::DrawRect(std::int32_t left, std::int32_t top, std::int32_t w, std::int32_t h,
                     std::uint32_t index, std::uint32_t colour, std::uint32_t z,
                     std::uint32_t alt) {
  for (std::int32_t y = top; y < top + h; ++y) {
    for (std::int32_t x = left; x < left + w; ++x) {
      if (x < 0 || y < 0 || x >= static_cast<std::int32_t>(width) ||
          y >= static_cast<std::int32_t>(height)) {
        continue;
      }
      sim::WriteElement(image, x, y, colour);
      sim::WriteElement(objectIndex, x, y, index);
      sim::WriteElement(match1, x, y, static_cast<std::uint32_t>(x - left) << 16);
      sim::WriteElement(match2, x, y, static_cast<std::uint32_t>(y - top) << 16);
      sim::WriteElement(depth, x, y, z);
      sim::WriteElement(alternate, x, y, alt);
    }
  }
}

std::uint32_t Frame::Pixel(std::uint32_t x, std::uint32_t y) const {
  return sim::ReadElement(image, x, y);
}

void Frame::Retile(int kind, std::uint32_t tileWidth, std::uint32_t tileHeight) {
  TileBuffer** field = nullptr;
  switch (kind) {
    case kDepthBuffer: field = &depth; break;
    case kObjectIndexBuffer: field = &objectIndex; break;
    case kMatch1Buffer: field = &match1; break;
    case kMatch2Buffer: field = &match2; break;
    case kAlternateBuffer: field = &alternate; break;
    default: FAIL() << "no buffer of kind " << kind;
  }
  sim::BufferSpec spec;
  spec.width = width;
  spec.height = height;
  spec.tileWidth = tileWidth;
  spec.tileHeight = tileHeight;
  TileBuffer* retiled = sim::NewTileBuffer(spec);
  sim::Fill(retiled, sim::Snapshot(*field));
  sim::SetHostSideWork(true);
  (*field)->ops->Release(*field);
  sim::SetHostSideWork(false);
  *field = retiled;
  set[kind] = AsUnknown(retiled);
}

namespace {

struct PassCall {
  Pblur* pblur;
  SceneObjectList* scene;
  Frame* frame;
  RenderView* view;
  Result result;
};

void CallPostRender(void* context) {
  PassCall* call = static_cast<PassCall*>(context);
  call->result = call->pblur->ops->PostRender(call->pblur, call->scene, call->frame->image,
                                              call->frame->set.data(), call->view, nullptr,
                                              nullptr);
}

}  // namespace

PassOutcome RunPass(Pblur* pblur, SceneObjectList* scene, Frame& frame, RenderView* view) {
  PassCall call = {pblur, scene, &frame, view, E_FAIL};
  PassOutcome outcome = {true, E_FAIL, 0, 0};
  outcome.completed = sim::RunInHostFrame(CallPostRender, &call, &outcome.error, &outcome.detail);
  outcome.result = call.result;
  return outcome;
}

}  // namespace qxv::test
