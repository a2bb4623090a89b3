# The shipped worlds: every file that installs with the game, relative to data/ (a file keeps its
# folder under the installed world folder). Only these files are installed: whatever else lies in
# data/, such as the screenshots and saved stores of `./maze run`, stays out of the packages.
set(MAZE_WORLD_FILES
  params.property
  textures.property
  bindings.property
  blocks/params.property
  blocks/textures.property
  example/params.property
  example/textures.property
  example/example.map
  "Assets/Property/VGA Table.Property"
  textures/ashlar.bmp
  textures/brick.bmp
  textures/metal.bmp
  textures/moss.bmp
  textures/stone.bmp
  textures/tile.bmp
  textures/wood.bmp
)
