#include "window/program_info.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <QtGlobal>

#include "formats/import_library.h"

#ifndef FLOWSKIN_VERSION
#define FLOWSKIN_VERSION "unknown"
#endif

QString ProgramVersion() { return QString("Flowskin %1").arg(FLOWSKIN_VERSION); }

QString LibraryVersions(const QString& gl) {
  QString text = QString("Qt %1 (built with %2)\n").arg(qVersion(), QT_VERSION_STR);
  text += QString::fromStdString(ImportLibraryVersion()) + "\n";
  if (!gl.isEmpty()) text += "OpenGL " + gl + "\n";
  return text;
}

QString ReadmePath() {
  const QDir dir(QCoreApplication::applicationDirPath());
  for (const QString& candidate : {dir.filePath("../README.md"), dir.filePath("README.md")}) {
    const QFileInfo f(candidate);
    if (f.isFile()) return f.canonicalFilePath();
  }
  return QString();
}

QString HelpPageHtml(const QString& readme) {
  QString html = R"(<h3>Flowskin</h3>
<p>Flowskin shows flow on a surface as a streaming texture. Load a mesh, pick a
flow (a preset on "General", or the "Flow" tab) and press "Run".</p>
<h4>Mouse in the view</h4>
<ul>
<li>Left drag: turn the mesh. On a flow source (a sphere or the cylinder
between two): move it; with Shift: move it in depth.</li>
<li>Right drag: zoom (up zooms out). The wheel zooms too (forward zooms in).</li>
<li>Middle drag: pan.</li>
<li>Drop a mesh file on the window to load it.</li>
</ul>
<h4>Keys</h4>
<table cellspacing="0" cellpadding="2">
<tr><td>Ctrl+O</td><td>Load mesh...</td></tr>
<tr><td>Space</td><td>Run / stop (not while typing in a box)</td></tr>
<tr><td>F11</td><td>Full window; F11 or Escape brings the panels back</td></tr>
<tr><td>Ctrl+S</td><td>Save image...</td></tr>
<tr><td>Ctrl+C</td><td>Copy image (in a box: copies its text)</td></tr>
<tr><td>F1</td><td>this page</td></tr>
<tr><td>Enter</td><td>takes a number typed into a plain box</td></tr>
</table>
<h4>The tabs</h4>
<ul>
<li><b>General</b>: load a mesh (subdivision and orientation apply to the next
load), pictures in and out, presets of flow, colour and style.</li>
<li><b>Texture</b>: the noise (colours, grain, pulse), how strongly it is
blended, how far the texture moves per frame, texture lock.</li>
<li><b>Flow</b>: what makes the velocity: the file's velocities, curvature
flow, a uniform flow, flow along the normal, and point and line sources.</li>
<li><b>Data</b>: colour the surface by curvature, speed, a coordinate or the
free Aux field; its range and colours; time steps of time-dependent files.</li>
<li><b>Shade</b>: surface colours and overlays, the view (up axis, rotation
per frame, window size, lens) and the light.</li>
</ul>
<h4>Simulation results</h4>
<p>Open a <tt>.vtk</tt>, <tt>.vtp</tt>, <tt>.vtu</tt>, <tt>.vtm</tt>,
<tt>.pvtp</tt>, <tt>.pvtu</tt>, <tt>.vtpd</tt>, <tt>.vtpc</tt>, <tt>.pvd</tt> or
<tt>.series</tt> file (or a folder of numbered files: its time steps). Its
vector arrays drive the flow:</p>
<ul>
<li><b>Flow array</b> ("Flow" tab): the vectors the texture follows. The first
named like a velocity is taken, or shear stress where the velocity is zero on
the surface (a wall); the line under the view says which and why.</li>
<li><b>Reverse</b> turns the vectors round (shear stress points against the
flow next to the wall); <b>Tangential only</b> keeps them in the surface;
<b>Normalise</b> gives them one length, so any units move alike.</li>
<li><b>File</b> ("Data" tab) colours the surface by a scalar array or a
vector's magnitude; <b>Velocity</b> shows the flow array's magnitude. Check
"Overlay with data" and "Legend" to see them with their legend.</li>
<li>These choices follow the arrays' names to the next file you open.</li>
</ul>
<h4>Pictures and movies</h4>
<p>"Save image..." writes the view as PNG or BMP; "Save seq. ..." writes the
next "#frames" frames as numbered pictures, or as one movie when the name ends
in <tt>.mp4</tt> (H.264) or <tt>.webm</tt> (VP9), at "Movie fps", "quality"
and "Movie size" (1920 x 1080 from a small window, say), written while the
window stays at hand, with a progress bar and Cancel. The command line makes them
without a window: <tt>flowskin FILE --frames 250 -o run.mp4</tt>
(<tt>flowskin --help</tt> lists the options).</p>
<p>The window remembers its controls from one run to the next; start it with
<tt>flowskin --defaults</tt> for the defaults, or press "Defaults".</p>
<p>Every control explains itself in a tooltip: rest the pointer on it.</p>
)";
  if (readme.isEmpty())
    html += "<p>More in README.md, in Flowskin's source folder.</p>";
  else
    html += QString("<p>More in the README: <a href=\"%1\">%2</a></p>")
                .arg(QUrl::fromLocalFile(readme).toString(), readme.toHtmlEscaped());
  return html;
}
