#include "assets/ShapeStores.h"

Store<Mesh>& meshStore() {
    static Store<Mesh> store;
    return store;
}

Store<Geometry>& geometryStore() {
    static Store<Geometry> store;
    return store;
}
