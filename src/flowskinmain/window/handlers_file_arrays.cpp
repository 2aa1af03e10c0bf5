// The arrays of a simulation file: the "Flow array" list with its options on
// the "Flow" tab, and the scalar list of the "File" channel on the "Data" tab.
#include <algorithm>

#include "data/data_channels.h"
#include "data/file_arrays.h"
#include "window/form1.h"

void TForm1::ApplyRememberedFileChoices() {
  TMesh& m = state.mesh;
  if (!ApplyFileArrayMemory(file_memory, m)) return;
  ApplyFlowArray(m);
  m.auto_range[kChanFile] = m.data_range[kChanFile] = FileChannelRange(m);
  m.auto_range[kChanVelocity] = m.data_range[kChanVelocity] = VelocityChannelRange(m, m.auto_range[kChanVelocity]);
}

void TForm1::ShowFileArrayControls() {
  ++file_controls_busy_;
  ++state.frame.redraw_suspended;
  const TMesh& m = state.mesh;
  const std::vector<int> vectors = FlowArrayIndices(m);
  cb_flow_array->clear();
  for (const int i : vectors) cb_flow_array->addItem(QString::fromStdString(m.file_arrays[i].name));
  const auto chosen = std::find(vectors.begin(), vectors.end(), m.flow_array.array);
  cb_flow_array->SetItemIndex(chosen == vectors.end() ? -1 : static_cast<int>(chosen - vectors.begin()));
  cb_flow_reverse->SetChecked(m.flow_array.reverse);
  cb_flow_tangential->SetChecked(m.flow_array.tangential);
  cb_flow_normalise->SetChecked(m.flow_array.normalise);
  flow_array_rows->setVisible(!vectors.empty());
  const std::vector<TFileScalar> scalars = FileScalars(m);
  cb_file_array->clear();
  for (const TFileScalar& s : scalars) cb_file_array->addItem(QString::fromStdString(s.label));
  cb_file_array->SetItemIndex(scalars.empty() ? -1 : std::clamp<int>(m.file_scalar, 0, int(scalars.size()) - 1));
  rbfile->setVisible(!scalars.empty());
  cb_file_array->setVisible(!scalars.empty());
  if (scalars.empty() && rbfile->Checked()) rbvelocity->SetChecked(true);
  --state.frame.redraw_suspended;
  --file_controls_busy_;
}

// A new flow array takes effect at once, with the options last used with it
// (file_memory), else with the options as they stand.
void TForm1::cb_flow_arrayChange(QObject*) {
  if (file_controls_busy_ > 0) return;
  const std::vector<int> vectors = FlowArrayIndices(state.mesh);
  const int i = cb_flow_array->ItemIndex();
  if (i < 0 || i >= static_cast<int>(vectors.size())) return;
  state.mesh.flow_array.array = vectors[static_cast<size_t>(i)];
  // The options last used with this array come with it; otherwise they stay as they stand.
  const auto remembered = file_memory.options.find(state.mesh.file_arrays[state.mesh.flow_array.array].name);
  if (remembered != file_memory.options.end()) {
    TFlowArrayChoice& c = state.mesh.flow_array;
    c.reverse = remembered->second.reverse;
    c.tangential = remembered->second.tangential;
    c.normalise = remembered->second.normalise;
    ++file_controls_busy_;
    cb_flow_reverse->SetChecked(c.reverse);
    cb_flow_tangential->SetChecked(c.tangential);
    cb_flow_normalise->SetChecked(c.normalise);
    --file_controls_busy_;
  }
  ApplyFlowArray(state.mesh);
  TMesh& m = state.mesh;  // the Velocity channel shows the new array's magnitude
  m.auto_range[kChanVelocity] = m.data_range[kChanVelocity] = VelocityChannelRange(m, m.auto_range[kChanVelocity]);
  RememberFlowChoice(file_memory, m);
  RefreshRenderState(true);
  RequestRedraw();
}

void TForm1::cb_flow_reverseClick(QObject*) {
  if (file_controls_busy_ > 0) return;
  TFlowArrayChoice& c = state.mesh.flow_array;
  c.reverse = cb_flow_reverse->Checked();
  c.tangential = cb_flow_tangential->Checked();
  c.normalise = cb_flow_normalise->Checked();
  RememberFlowChoice(file_memory, state.mesh);
  ApplyFlowArray(state.mesh);
  RefreshRenderState(true);
  RequestRedraw();
}

void TForm1::cb_file_arrayChange(QObject*) {
  if (file_controls_busy_ > 0 || cb_file_array->ItemIndex() < 0) return;
  TMesh& m = state.mesh;
  m.file_scalar = cb_file_array->ItemIndex();
  RememberFileScalar(file_memory, m);
  m.auto_range[kChanFile] = FileChannelRange(m);
  m.data_range[kChanFile] = m.auto_range[kChanFile];
  RefreshRenderState(true);
  RequestRedraw();
}
