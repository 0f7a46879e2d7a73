<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Cirrolith online help</title>
<style>
body { font-family: "DejaVu Sans", sans-serif; max-width: 50em; margin: 2em auto; padding: 0 1em; color: #1d2430; line-height: 1.5; }
h1 { color: #1a4f8a; margin-bottom: .2em; }
h2 { color: #1a4f8a; border-bottom: 1px solid #c9d4e6; padding-bottom: .2em; margin-top: 2em; }
h3 { margin-bottom: .3em; }
figure { margin: 1em 0; }
figure img { max-width: 100%; border: 1px solid #9aa8bf; border-radius: 4px; }
figcaption { font-size: .9em; color: #4d5a70; }
nav a { margin-right: 1em; }
table { border-collapse: collapse; }
td, th { border: 1px solid #c9d4e6; padding: .3em .6em; text-align: left; vertical-align: top; }
kbd { background: #eef2f8; border: 1px solid #b8c3d6; border-radius: 3px; padding: 0 .3em; }
.tip { background: #eef6ff; border-left: 4px solid #4f7fc4; padding: .5em 1em; }
</style>
</head>
<body>
<h1>Cirrolith online help</h1>
<p>Cirrolith keeps live weather pictures on your screen: satellite and radar maps, forecast
charts, webcams and web pages, with your own photos if you like. It shows them one after the
other, full screen, with a line under each picture saying where it comes from, and it downloads
them again every so often so the show stays current. Leave it running as long as you like.</p>
<nav><a href="#first">First start</a><a href="#bar">The control bar</a><a href="#panel">The setup panel</a><a href="#quit">Quitting</a><a href="#trouble">If something goes wrong</a></nav>

<h2 id="first">First start</h2>
<p>The first time Cirrolith runs it asks three short questions. Your answers are kept, so it asks
them only once.</p>

<h3>1. Your language</h3>
<figure><img src="help/first_language.png" alt="The language question: English, Italiano, Français, Español">
<figcaption>Click your language. Every caption, tip and message follows it.</figcaption></figure>

<h3>2. How you reach the Internet</h3>
<figure><img src="help/first_connection.png" alt="The connection question: direct connection or proxy server">
<figcaption>Most homes connect directly (ADSL, Wi-Fi, mobile modem): choose the first line. In an
office you may need a proxy server: choose the second line and type the address, port, user name
and password your network administrator gave you. Then click <b>Modif. Connection</b>.</figcaption></figure>
<p>While Cirrolith looks for the picture catalogue, the line at the bottom counts down. If the
catalogue cannot be reached after ten seconds, it asks this question again, so you can correct the
connection.</p>

<h3>3. Your home town</h3>
<figure><img src="help/first_town.png" alt="The home-town form">
<figcaption>Some pictures (local forecasts) are made for your town. Type it with its country and
click OK. You can change it later on the panel's <b>Run - Exit</b> page (<b>Your Town</b>).</figcaption></figure>
<p>Then the slideshow starts with a few pictures chosen for you.</p>

<h2 id="bar">The control bar</h2>
<figure><img src="help/slideshow.png" alt="A radar picture shown full screen with the control bar along the bottom">
<figcaption>The slideshow: one picture at a time, with the control bar along the bottom of the screen.</figcaption></figure>
<figure><img src="help/control_bar.png" alt="The control bar: setup, help, animation, credit line, logo, connection">
<figcaption>The control bar, from left to right.</figcaption></figure>
<table>
<tr><th>Button</th><th>What it does</th></tr>
<tr><td>Setup (the wide blue button)</td><td>Opens the setup panel after the current picture. While pictures load it shows an hourglass instead: please wait.</td></tr>
<tr><td><b>?</b></td><td>Opens this page in your web browser.</td></tr>
<tr><td>Animation (purple)</td><td>Shown while a fast-moving picture (a radar loop) plays.</td></tr>
<tr><td>Credit line</td><td>Where the picture comes from, and when the pictures were last brought up to date. <em>COLLECTIONS AVAILABLE</em> means new ready-made picture selections can be fetched: open the setup panel.</td></tr>
<tr><td>Connection icon (right)</td><td>Green waves: this computer is on a network. Red: no network; Cirrolith keeps trying. Whether the catalogue server answers shows in the count-down and the credit line.</td></tr>
</table>
<p>While Cirrolith waits for the catalogue at start, the bar also shows a red <b>quit</b> button and a
<b>reset</b> button (see <a href="#trouble">If something goes wrong</a>).</p>

<h2 id="keys">Keys</h2>
<table>
<tr><th>Key</th><th>What it does</th></tr>
<tr><td><kbd>Right</kbd>, <kbd>Left</kbd></td><td>The next picture, the previous picture.</td></tr>
<tr><td><kbd>Space</kbd></td><td>Pauses the slideshow (<em>PAUSED</em> shows above the bar); <kbd>Space</kbd> again goes on.</td></tr>
<tr><td><kbd>R</kbd></td><td>Downloads every picture again now.</td></tr>
<tr><td><kbd>Escape</kbd>, <kbd>Ctrl</kbd>+<kbd>Q</kbd></td><td>Saves your settings and closes Cirrolith.</td></tr>
<tr><td><kbd>F1</kbd></td><td>Opens this page.</td></tr>
</table>

<h2 id="panel">The setup panel</h2>
<p>Click the setup button. After the current picture the slideshow pauses and the panel opens on
its <b>Tools</b> page; the links on the left of every page lead to the others.</p>

<h3>Display Timers</h3>
<figure><img src="help/panel_timers.png" alt="The Display Timers page">
<figcaption><b>Download Img. Timer</b>: how many minutes between two downloads of all pictures
(at least 15). <b>Slide Show Img. Timer</b>: how many seconds each picture stays on screen (at
least 1). <b>Display Picture Mode</b>: full screen, or each picture at its own size in the middle
of the screen. Click a box and type the number.</figcaption></figure>

<h3>Picture Selection</h3>
<figure><img src="help/panel_pictures.png" alt="The Picture Selection page">
<figcaption>Click pictures in the list to select them (click again to leave one out); choose at
least two. <b>Add Owner Image</b> adds one picture of your own; up to nine more .jpg photos can be
put into the folder <code>Data/Cirrolith_SlideShow</code>. <b>Backup Collection</b> saves your
selection as a collection, <b>Load_File Collection</b> brings one back.</figcaption></figure>

<h3>Run - Exit</h3>
<figure><img src="help/panel_runexit.png" alt="The Run - Exit page">
<figcaption><b>Start Slide Show</b> saves your settings and starts the slideshow again with your
selection. <b>Save Configur.</b> saves without closing the panel. <b>Quit Program</b> saves and
closes Cirrolith. <b>Cleanup Config.</b> forgets every setting and starts Cirrolith again as on its
first day. <b>Your Town</b> changes your home town.</figcaption></figure>

<h3>Tools - Language</h3>
<figure><img src="help/panel_tools.png" alt="The Tools page">
<figcaption>The way to the three other pages, <b>Language</b> to change the language, and
<b>Remote Help</b>: with one of our operators on the telephone, it starts a remote-assistance
program so the operator can set Cirrolith up for you.</figcaption></figure>
<p class="tip">Changes take effect when you click <b>Start Slide Show</b>. The pictures are
downloaded again then, which can take a minute; a counter at the bottom shows the progress.</p>

<h2 id="quit">Quitting</h2>
<ul>
<li>Open the setup panel, go to <b>Run - Exit</b> and click <b>Quit Program</b>: your settings are
saved and Cirrolith closes within a second or two.</li>
<li>Closing the window (<kbd>Alt</kbd>+<kbd>F4</kbd>, or logging out) also ends Cirrolith; settings
changed on an open panel and not yet saved are then lost.</li>
<li>While Cirrolith is still waiting for the catalogue at start, the red quit button on the bar
closes it at once.</li>
</ul>

<h2 id="trouble">If something goes wrong</h2>
<ul>
<li><b>The count-down never ends</b>: the catalogue cannot be reached. Check your connection;
after ten seconds Cirrolith asks how you connect, so a proxy can be set or removed.</li>
<li><b>"IMAGE MISSING"</b> under a picture: that picture could not be downloaded this time. The
next download usually brings it back.</li>
<li><b>Everything is mixed up</b>: <b>Cleanup Config.</b> on the Run - Exit page (or the reset
button on the bar at start) forgets all settings and starts afresh with the three questions.</li>
</ul>
<p><small>This page is served by the Cirrolith reference catalogue server.</small></p>
</body>
</html>
