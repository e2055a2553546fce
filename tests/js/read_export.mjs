// Reads an exported .glb, .obj (with its .mtl and images) or .stl back with three.js's loaders, and a
// .glb also with the Khronos glTF Validator; prints what they found as "key value" lines:
// faces, points, min, max, the validator's errors and warnings with their messages, the materials
// and textures the loaders found with each image's size, and with --corners every triangle corner
// in world coordinates ("corner x y z nx ny nz u v", texture origin at the image's bottom left).
import fs from 'node:fs';
import path from 'node:path';
import { resolveObjectURL } from 'node:buffer';

import * as THREE from 'three';
import { GLTFLoader } from 'three/addons/loaders/GLTFLoader.js';
import { MTLLoader } from 'three/addons/loaders/MTLLoader.js';
import { OBJLoader } from 'three/addons/loaders/OBJLoader.js';
import { STLLoader } from 'three/addons/loaders/STLLoader.js';
import * as validator from 'gltf-validator';

// Width and height from a PNG, JPEG or BMP header; null when the bytes are no such image.
function imageSize(b) {
    const u32be = (i) => (b[i] << 24 | b[i + 1] << 16 | b[i + 2] << 8 | b[i + 3]) >>> 0;
    if (b[0] === 0x89 && b[1] === 0x50 && b[2] === 0x4E && b[3] === 0x47)
        return { type: 'png', width: u32be(16), height: u32be(20) };
    if (b[0] === 0x42 && b[1] === 0x4D)
        return { type: 'bmp', width: b.readInt32LE(18), height: Math.abs(b.readInt32LE(22)) };
    if (b[0] === 0xFF && b[1] === 0xD8) {
        for (let i = 2; i + 9 < b.length;) {
            if (b[i] !== 0xFF) return null;
            const marker = b[i + 1], length = b[i + 2] << 8 | b[i + 3];
            if (marker >= 0xC0 && marker <= 0xCF && marker !== 0xC4 && marker !== 0xC8 && marker !== 0xCC)
                return { type: 'jpeg', width: b[i + 7] << 8 | b[i + 8], height: b[i + 5] << 8 | b[i + 6] };
            i += 2 + length;
        }
    }
    return null;
}

// The one piece of a browser the loaders need: an <img> that "decodes" a file or blob URL by
// reading its header.
class NodeImage extends EventTarget {
    set src(url) {
        this._src = url;
        const blob = url.startsWith('blob:') ? resolveObjectURL(url) : null;
        const bytes = blob ? blob.arrayBuffer().then((a) => Buffer.from(a))
                           : fs.promises.readFile(decodeURIComponent(url));
        bytes.then((b) => {
            const size = imageSize(b);
            if (!size) throw new Error('not an image: ' + url);
            Object.assign(this, size);
            this.dispatchEvent(new Event('load'));
        }).catch(() => this.dispatchEvent(new Event('error')));
    }
    get src() { return this._src; }
}
globalThis.document = { createElementNS: () => new NodeImage() };
globalThis.self = globalThis;
THREE.Cache.enabled = false;

const print = (key, ...values) => console.log(key, ...values);

function report(root, corners, flipV) {
    root.updateMatrixWorld(true);
    let faces = 0, points = 0;
    const materials = new Set(), textures = new Map(); // by image name
    root.traverse((mesh) => {
        if (!mesh.isMesh) return;
        const g = mesh.geometry, pos = g.attributes.position, nor = g.attributes.normal;
        const uv = g.attributes.uv, index = g.index;
        const count = index ? index.count : pos.count;
        faces += count / 3;
        points += pos.count;
        for (const m of [].concat(mesh.material)) {
            materials.add(m);
            if (m.map) textures.set(m.map.name || path.basename(m.map.image.src || ''), m.map);
        }
        if (!corners) return;
        const normalMatrix = new THREE.Matrix3().getNormalMatrix(mesh.matrixWorld);
        const p = new THREE.Vector3(), n = new THREE.Vector3();
        for (let k = 0; k < count; ++k) {
            const i = index ? index.getX(k) : k;
            p.fromBufferAttribute(pos, i).applyMatrix4(mesh.matrixWorld);
            n.set(0, 0, 0);
            if (nor) n.fromBufferAttribute(nor, i).applyMatrix3(normalMatrix).normalize();
            const u = uv ? uv.getX(i) : 0, v = uv ? (flipV ? 1 - uv.getY(i) : uv.getY(i)) : 0;
            print('corner', ...[p.x, p.y, p.z, n.x, n.y, n.z, u, v].map((x) => x.toFixed(4)));
        }
    });
    const box = new THREE.Box3().setFromObject(root, true);
    print('faces', faces);
    print('points', points);
    print('min', box.min.x, box.min.y, box.min.z);
    print('max', box.max.x, box.max.y, box.max.z);
    print('materials', materials.size);
    print('textures', textures.size);
    for (const [name, t] of textures)
        print('texture', name, t.image.type, t.image.width, t.image.height);
}

async function main() {
    const [file, flag] = process.argv.slice(2);
    const corners = flag === '--corners';
    const bytes = fs.readFileSync(file);
    const data = bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength);
    const ext = path.extname(file).toLowerCase();
    if (ext === '.glb') {
        const result = await validator.validateBytes(new Uint8Array(bytes), { maxIssues: 100 });
        print('errors', result.issues.numErrors);
        print('warnings', result.issues.numWarnings);
        for (const m of result.issues.messages)
            if (m.severity <= 1) print('issue', m.code, m.pointer || '', m.message);
        const gltf = await new GLTFLoader().parseAsync(data, path.dirname(file) + '/');
        report(gltf.scene, corners, true);
    } else if (ext === '.obj') {
        const text = bytes.toString('utf8');
        const library = /^mtllib (.+?)\r?$/m.exec(text);
        const loader = new OBJLoader();
        if (library) {
            const dir = path.dirname(file) + '/';
            const creator = new MTLLoader().parse(fs.readFileSync(dir + library[1], 'utf8'), dir);
            creator.preload();
            // Wait for every image the material library names.
            await new Promise((resolve, reject) => {
                const manager = THREE.DefaultLoadingManager;
                manager.onLoad = resolve;
                manager.onError = (url) => reject(new Error('cannot load ' + url));
                if (!Object.values(creator.materials).some((m) => m.map)) resolve();
            });
            loader.setMaterials(creator);
        }
        report(loader.parse(text), corners, false);
    } else if (ext === '.stl') {
        const geometry = new STLLoader().parse(data);
        report(new THREE.Mesh(geometry, new THREE.MeshBasicMaterial()), corners, false);
    } else {
        throw new Error('unknown format: ' + file);
    }
}

main().catch((e) => {
    console.error(e.stack || String(e));
    process.exit(1);
});
