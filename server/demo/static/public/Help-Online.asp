<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Cirrolith online help</title>
<style>
body { font-family: sans-serif; max-width: 46em; margin: 2em auto; color: #222; }
h1 { color: #1a4f8a; }
code { background: #eef; padding: 0 .2em; }
</style>
</head>
<body>
<h1>Cirrolith online help</h1>
<p>Cirrolith shows live weather pictures one after the other: satellite and radar
maps, forecast charts and webcams, with a credit line under each picture.</p>
<h2>Choosing pictures</h2>
<p>Open the setup with the gear button of the control bar. The list shows every
picture of the catalogue; tick the ones you want and confirm. The selection is
kept for the next start.</p>
<h2>Timing</h2>
<p>The slide time is the number of seconds each picture stays on screen. The
reload period says how often all pictures are downloaded again. Animated
pictures (radar loops) set their own pace.</p>
<h2>Connection</h2>
<p>If the catalogue server cannot be reached, Cirrolith counts down and then asks
whether you connect directly or through a proxy.</p>
<h2>Collections</h2>
<p>A collection is a saved selection. When new collections are published, the
credit line says <em>COLLECTIONS AVAILABLE</em>; opening the setup fetches them.</p>
<p><small>This page is served by the Cirrolith reference catalogue server.</small></p>
</body>
</html>
